#include "d88/BlockReader.h"

#include <cstring>

BlockReader::~BlockReader() { Close(); }

bool BlockReader::Open(const char* path) {
  Close();
  return file.Open(path);
}

void BlockReader::Close() {
  file.Close();
  blockStart = -1;
  blockLength = 0;
}

bool BlockReader::InBlock(long long position, int length) const {
  return blockStart >= 0 && position >= blockStart &&
         position - blockStart <= blockLength - length;
}

void BlockReader::LoadBlock(long long position) {
  blockLength = file.ReadAt(position, block, kBlockSize);
  blockStart = blockLength > 0 ? position : -1;
}

int BlockReader::Read(long long position, unsigned char* dest, int length) {
  if (length <= 0) return 0;
  if (length > kBlockSize) return file.ReadAt(position, dest, length);
  if (!InBlock(position, length)) LoadBlock(position);
  if (blockStart < 0) return 0;
  const long long available = blockStart + blockLength - position;
  const int copied = available < length ? static_cast<int>(available) : length;
  std::memcpy(dest, block + (position - blockStart), copied);
  return copied;
}

const unsigned char* BlockReader::View(long long position, int length) {
  if (length <= 0 || length > kBlockSize) return nullptr;
  if (!InBlock(position, length)) LoadBlock(position);
  if (!InBlock(position, length)) return nullptr;
  return block + (position - blockStart);
}
