#include "d88info/Listing.h"

#include <cstdio>
#include <cstring>

namespace {

// The boot sector's identifying bytes: the signature and the digit.
constexpr int kBootIdOffset = kBootSignatureOffset;
constexpr int kBootIdLength = kBootDigitOffset + 1 - kBootSignatureOffset;

const char* MediaName(int mediaType) {
  switch (mediaType) {
    case 0x00: return "2D";
    case 0x10: return "2DD";
    case 0x20: return "2HD";
    case 0x30: return "1D";
    case 0x40: return "1DD";
    default: return "unknown";
  }
}

bool HasSectors(D88Image& image, int track) {
  bool found = false;
  image.ForEachSector(track, [&](const SectorRecord&) {
    found = true;
    return false;
  });
  return found;
}

bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9f) || (byte >= 0xe0 && byte <= 0xfc);
}

bool IsTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7e) || (byte >= 0x80 && byte <= 0xfc);
}

// True when the bytes are all Shift-JIS text (printable ASCII, half-width
// kana, or a lead byte and its trail byte) with at least one character
// that is not ASCII.
bool IsJapaneseText(const unsigned char* bytes, int length) {
  bool japanese = false;
  for (int i = 0; i < length; ++i) {
    const unsigned char byte = bytes[i];
    if (byte >= 0x20 && byte <= 0x7e) continue;
    japanese = true;
    if (byte >= 0xa1 && byte <= 0xdf) continue;
    if (!IsLeadByte(byte) || i + 1 == length || !IsTrailByte(bytes[i + 1])) {
      return false;
    }
    ++i;
  }
  return japanese;
}

// A disk's name: where standard output is a terminal that shows Japanese
// and the name is Japanese text it converts, the text itself, quoted, with
// the ASCII quote and backslash escaped (never a trail byte); else quoted
// as any other bytes, in plain ASCII.
void AddName(ConsoleLine& line, const unsigned char* name, int length) {
  char text[2 * kDiskNameLength + 3];
  if (length > kDiskNameLength || !IsJapaneseText(name, length) ||
      !ShowsAsJapanese(ConsoleStream::kOut,
                       reinterpret_cast<const char*>(name), length)) {
    AddQuoted(line, name, length);
    return;
  }
  int at = 0;
  text[at++] = '"';
  for (int i = 0; i < length; ++i) {
    const bool pair = IsLeadByte(name[i]);
    if (!pair && (name[i] == '"' || name[i] == '\\')) text[at++] = '\\';
    text[at++] = static_cast<char>(name[i]);
    if (pair) text[at++] = static_cast<char>(name[++i]);
  }
  text[at++] = '"';
  text[at] = '\0';
  // One item, so that no piece of the line ends inside a character.
  line.Add("%s", text);
}

int CountPresentTracks(D88Image& image) {
  int present = 0;
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    if (HasSectors(image, track)) ++present;
  }
  return present;
}

// Reads the boot sector's bytes 3..10 into `boot`, whatever its size
// code: that of the first record with its ID. Gives how many arrived.
int ReadBootId(D88Image& image, unsigned char* boot, int size) {
  int n = -1;
  image.ForEachSector(kBootTrack, [&](const SectorRecord& record) {
    const SectorInfo& id = record.sector;
    if (id.c != 0 || id.h != 0 || id.r != kBootSectorR) return true;
    n = id.n;
    return false;
  });
  if (n < 0) return 0;
  const int got = image.ReadSector(kBootTrack, 0, 0, kBootSectorR, n, boot, size);
  return got > kBootIdOffset ? got - kBootIdOffset : 0;
}

}  // namespace

const char* QuotedByte(unsigned char byte, char (&text)[5]) {
  if (byte == '"' || byte == '\\') {
    std::snprintf(text, sizeof text, "\\%c", byte);
  } else if (byte >= 0x20 && byte < 0x7f) {
    std::snprintf(text, sizeof text, "%c", byte);
  } else {
    std::snprintf(text, sizeof text, "\\x%02x", byte);
  }
  return text;
}

void AddQuoted(ConsoleLine& line, const unsigned char* bytes, int length) {
  char text[5];
  line.Add("\"");
  for (int i = 0; i < length; ++i) line.Add("%s", QuotedByte(bytes[i], text));
  line.Add("\"");
}

void ListImage(const D88Image& image) {
  ConsoleLine line;
  line.Add("image disks %d", image.GetDiskCount());
  line.End();
  if (image.IsEmpty()) {
    line.Add("image empty");
    line.End();
  }
}

void ListDisk(D88Image& image, int index) {
  unsigned char boot[kBootIdOffset + kBootIdLength];
  const int tracks = CountPresentTracks(image);
  const int bootBytes = ReadBootId(image, boot, sizeof boot);
  if (image.ReadFailed()) return;
  ConsoleLine line;
  line.Add("disk %d name ", index + 1);
  const char* name = image.GetDiskName();
  AddName(line, reinterpret_cast<const unsigned char*>(name),
          static_cast<int>(std::strlen(name)));
  const int media = image.GetMediaType();
  line.Add(" media 0x%02x %s protected %s tracks %d ", media, MediaName(media),
           image.GetWriteProtect() != 0 ? "yes" : "no", tracks);
  int present = 0;
  int declared = 0;
  if (image.GetDiskExtent(index, present, declared) && present < declared) {
    line.Add("truncated %d/%d ", present, declared);
  }
  line.Add("boot ");
  if (bootBytes > 0) {
    AddQuoted(line, boot + kBootIdOffset, bootBytes);
  } else {
    line.Add("none");
  }
  line.End();
}

void ListUnownedBytes(const D88Image& image) {
  if (image.ReadFailed() || image.GetUnownedBytes() <= 0) return;
  ConsoleLine line;
  line.Add("image ends with %lld bytes that belong to no disk",
           image.GetUnownedBytes());
  line.End();
}
