#include "d88info/Catalogue.h"

#include <cstring>

#include "d88info/Report.h"
#include "platform/Console.h"
#include "platform/XmlFile.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// `digits` hex digits exactly, in either case, into `bytes`.
bool ParseHex(const char* text, int digits, unsigned char* bytes) {
  if (static_cast<int>(std::strlen(text)) != digits) return false;
  for (int i = 0; i < digits; i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i / 2] = static_cast<unsigned char>(high << 4 | low);
  }
  return true;
}

// A size in decimal digits, no larger than a disk can be.
bool ParseSize(const char* text, long long& size) {
  if (*text == '\0' || std::strlen(text) > 12) return false;
  size = 0;
  for (const char* at = text; *at != '\0'; ++at) {
    if (*at < '0' || *at > '9') return false;
    size = size * 10 + (*at - '0');
  }
  return true;
}

class RomCollector : public XmlElements {
 public:
  explicit RomCollector(std::vector<CatalogueEntry>& entries)
      : entries(entries) {}

  void Element(const char* name, const XmlAttribute* attributes,
               int count) override {
    if (std::strcmp(name, "rom") != 0) return;
    CatalogueEntry entry;
    bool sized = false;
    bool named = false;
    for (int i = 0; i < count; ++i) {
      const char* key = attributes[i].name;
      const char* value = attributes[i].value;
      if (std::strcmp(key, "name") == 0) {
        entry.name = value;
        named = true;
      } else if (std::strcmp(key, "size") == 0) {
        sized = ParseSize(value, entry.size);
      } else if (std::strcmp(key, "crc") == 0) {
        unsigned char crc[4] = {};
        entry.hasCrc = ParseHex(value, 8, crc);
        entry.crc = static_cast<unsigned long>(crc[0]) << 24 |
                    static_cast<unsigned long>(crc[1]) << 16 |
                    static_cast<unsigned long>(crc[2]) << 8 | crc[3];
      } else if (std::strcmp(key, "sha1") == 0) {
        entry.hasSha1 = ParseHex(value, 2 * kSha1Size, entry.sha1);
      }
    }
    if (named && sized && (entry.hasCrc || entry.hasSha1)) {
      entries.push_back(entry);
    }
  }

 private:
  std::vector<CatalogueEntry>& entries;
};

}  // namespace

bool ReadCatalogues(const std::vector<const char*>& paths,
                    std::vector<CatalogueEntry>& entries) {
  RomCollector collector(entries);
  for (const char* path : paths) {
    XmlRefusal refusal;
    if (ReadXmlFile(path, collector, refusal)) continue;
    if (refusal.line == 0) {
      ReportFailure("cannot read catalogue ", path, refusal.error);
    } else {
      BeginFileLine(path);
      PrintFormat(ConsoleStream::kErr, "line %d: ", refusal.line);
      PrintArgument(ConsoleStream::kErr, refusal.words);
      PrintText(ConsoleStream::kErr, "\n");
    }
    return false;
  }
  return true;
}
