#include "d88/DiskBytes.h"

bool FeedDiskSpan(D88Image& image, int index, ByteSink& sink,
                  unsigned char* buffer, int bufferSize) {
  long long offset = 0;
  long long length = 0;
  if (bufferSize <= 0 || !image.GetDiskSpan(index, offset, length)) {
    return false;
  }
  for (long long done = 0; done < length;) {
    const int want = length - done < bufferSize
                         ? static_cast<int>(length - done)
                         : bufferSize;
    const int got = image.ReadImage(offset + done, buffer, want);
    if (got < want) return false;
    sink.Add(buffer, got);
    done += got;
  }
  return true;
}

bool FeedSectorContents(D88Image& image, ByteSink& sink, unsigned char* buffer,
                        int bufferSize) {
  if (bufferSize <= 0) return false;
  bool read = true;
  for (int track = 0; track < D88Image::kTrackCount && read; ++track) {
    image.ForEachSector(track, [&](const SectorRecord& record) {
      const SectorInfo& id = record.sector;
      const unsigned char fields[] = {
          id.c, id.h, id.r, id.n,
          static_cast<unsigned char>(record.dataLength & 0xff),
          static_cast<unsigned char>(record.dataLength >> 8)};
      sink.Add(fields, sizeof fields);
      for (int done = 0; done < record.dataLength && read;) {
        const int rest = record.dataLength - done;
        const int want = rest < bufferSize ? rest : bufferSize;
        read = image.ReadImage(record.dataPosition + done, buffer, want) == want;
        if (read) sink.Add(buffer, want);
        done += want;
      }
      return read;
    });
  }
  return read && !image.ReadFailed();
}
