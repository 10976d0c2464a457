#include "d88/BlockReader.h"

#include <climits>
#include <cstring>

BlockReader::~BlockReader() { Close(); }

bool BlockReader::Open(const char* path) {
  Close();
  file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  // A pipe opens but cannot be positioned, and a folder opens but cannot be
  // read: neither can be read as an image file.
  if (std::fseek(file, 0, SEEK_SET) != 0) {
    Close();
    return false;
  }
  LoadBlock(0);
  if (std::ferror(file) != 0) {
    Close();
    return false;
  }
  return true;
}

void BlockReader::Close() {
  if (file != nullptr) std::fclose(file);
  file = nullptr;
  blockStart = -1;
  blockLength = 0;
}

bool BlockReader::InBlock(long long position, int length) const {
  return blockStart >= 0 && position >= blockStart &&
         position - blockStart <= blockLength - length;
}

int BlockReader::ReadFromFile(long long position, unsigned char* dest,
                              int length) {
  if (file == nullptr || position < 0 || position > LONG_MAX || length <= 0) {
    return 0;
  }
  if (std::fseek(file, static_cast<long>(position), SEEK_SET) != 0) return 0;
  return static_cast<int>(
      std::fread(dest, 1, static_cast<std::size_t>(length), file));
}

void BlockReader::LoadBlock(long long position) {
  blockLength = ReadFromFile(position, block, kBlockSize);
  blockStart = blockLength > 0 ? position : -1;
}

int BlockReader::Read(long long position, unsigned char* dest, int length) {
  if (length <= 0) return 0;
  if (length > kBlockSize) return ReadFromFile(position, dest, length);
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
