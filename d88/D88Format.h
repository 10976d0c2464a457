#pragma once

#include <cstddef>

// The D88 floppy disk image format, as this reader sees it. All multi-byte
// fields are little-endian (ReadLe16/ReadLe32). A file holds disk images
// laid end to end; each disk begins with a header, and each track side is
// a chain of sector records that the header's track table points at.
//
//   disk header, 688 bytes               sector record
//   +0x000 name[17]   NUL-padded         +0x00 C H R N      ID fields
//   +0x011 reserved[9]                   +0x04 sector count  LE16, per track
//   +0x01a write protect (0: off)        +0x06 density       0x00 MFM, 0x40 FM
//   +0x01b media type                    +0x07 deleted mark  0x10: deleted data
//   +0x01c disk size       LE32          +0x08 status        the controller's
//   +0x020 track table     164 x LE32    +0x09 reserved[5]
//          offset of each track side's   +0x0e data size     LE16
//          first record, from the disk's +0x10 data[data size]
//          first byte; 0: absent
//
// A track index counts track sides: index = cylinder x 2 + head. Some
// writers make a 672-byte header with 160 table entries; their first track
// then begins where the table would go on.

// Every field is a byte or a byte array, so the structures have no padding
// and their sizes are the sizes on disk.
struct D88DiskHeader {
  unsigned char name[17];             // 0x000
  unsigned char reserved[9];          // 0x011
  unsigned char writeProtect;         // 0x01a
  unsigned char mediaType;            // 0x01b
  unsigned char diskSize[4];          // 0x01c
  unsigned char trackTable[164][4];   // 0x020
};

struct D88SectorHeader {
  unsigned char c;                    // 0x00
  unsigned char h;                    // 0x01
  unsigned char r;                    // 0x02
  unsigned char n;                    // 0x03
  unsigned char sectorCount[2];       // 0x04
  unsigned char density;              // 0x06
  unsigned char deletedMark;          // 0x07
  unsigned char status;               // 0x08
  unsigned char reserved[5];          // 0x09
  unsigned char dataSize[2];          // 0x0e
};

static_assert(offsetof(D88DiskHeader, writeProtect) == 0x1a, "layout");
static_assert(offsetof(D88DiskHeader, diskSize) == 0x1c, "layout");
static_assert(offsetof(D88DiskHeader, trackTable) == 0x20, "layout");
static_assert(sizeof(D88DiskHeader) == 688, "a disk header is 688 bytes");
static_assert(offsetof(D88SectorHeader, status) == 0x08, "layout");
static_assert(offsetof(D88SectorHeader, dataSize) == 0x0e, "layout");
static_assert(sizeof(D88SectorHeader) == 16, "a sector header is 16 bytes");

// The boot sector, C 0, H 0, R 1 of track 0, identifies a disk of a title
// by a 7-byte signature at byte 3 and the disk's digit at byte 10.
//
//   boot sector
//   +0x00 jump[3]
//   +0x03 signature[7]   such as "Pelk_No"
//   +0x0a digit          which disk of the set
constexpr int kBootTrack = 0;
constexpr int kBootSectorR = 1;
constexpr int kBootSignatureOffset = 0x03;
constexpr int kBootSignatureLength = 7;
constexpr int kBootDigitOffset = 0x0a;
static_assert(kBootSignatureOffset + kBootSignatureLength == kBootDigitOffset,
              "the digit follows the signature");

// How many disks of one image are read. A macro too, so that help texts
// can spell the number inside their string literals (D88_TEXT).
#define D88_MAX_DISKS 64
#define D88_TEXT(token) D88_TEXT_OF(token)
#define D88_TEXT_OF(token) #token

// The usual name of a media type byte; null for any other byte.
constexpr const char* MediaTypeName(int mediaType) {
  switch (mediaType) {
    case 0x00: return "2D";
    case 0x10: return "2DD";
    case 0x20: return "2HD";
    case 0x30: return "1D";
    case 0x40: return "1DD";
    default: return nullptr;
  }
}

// The name is the first 16 bytes of its field; the 17th holds its NUL.
constexpr int kDiskNameLength = 16;

constexpr unsigned char kDeletedDataMark = 0x10;

// The controller's status is judged by its upper nibble: 0x0 normal, 0x1
// normal with deleted data; 0xa0 CRC error in the ID, 0xb0 CRC error in
// the data, 0xe0 no address mark, 0xf0 no data mark; any other nibble is
// another floppy BIOS error code.
constexpr int kStatusIdCrcError = 0xa;
constexpr int kStatusDataCrcError = 0xb;
constexpr int kStatusNoAddressMark = 0xe;
constexpr int kStatusNoDataMark = 0xf;

constexpr int StatusKind(unsigned char status) { return status >> 4; }

// What the image records of a sector whose read failed.
enum class ReadErrorKind { kIdCrc, kDataCrc, kNoAddressMark, kNoDataMark, kOther };

constexpr ReadErrorKind ReadErrorKindOf(unsigned char status) {
  switch (StatusKind(status)) {
    case kStatusIdCrcError: return ReadErrorKind::kIdCrc;
    case kStatusDataCrcError: return ReadErrorKind::kDataCrc;
    case kStatusNoAddressMark: return ReadErrorKind::kNoAddressMark;
    case kStatusNoDataMark: return ReadErrorKind::kNoDataMark;
    default: return ReadErrorKind::kOther;
  }
}

// The kind as one ASCII word, as d88info's listing shows it; null for
// kOther, which is named by its status byte.
constexpr const char* ReadErrorWord(ReadErrorKind kind) {
  switch (kind) {
    case ReadErrorKind::kIdCrc: return "id-crc";
    case ReadErrorKind::kDataCrc: return "data-crc";
    case ReadErrorKind::kNoAddressMark: return "no-address-mark";
    case ReadErrorKind::kNoDataMark: return "no-data-mark";
    case ReadErrorKind::kOther: break;
  }
  return nullptr;
}

// True when the image records that reading the sector failed.
constexpr bool IsReadError(unsigned char status) {
  return StatusKind(status) > 0x1;
}

// True when the sector holds deleted data, by its mark or its status.
constexpr bool IsDeletedData(unsigned char deletedMark, unsigned char status) {
  return deletedMark == kDeletedDataMark || StatusKind(status) == 0x1;
}
