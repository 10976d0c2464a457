#include "d88info/Catalogue.h"

#include <algorithm>
#include <cstring>

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

bool IsSoftware(const char* element) {
  return std::strcmp(element, "game") == 0 ||
         std::strcmp(element, "machine") == 0 ||
         std::strcmp(element, "software") == 0;
}

std::string Trimmed(const std::string& text) {
  const char* space = " \t\r\n";
  const std::size_t first = text.find_first_not_of(space);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

class RomCollector : public XmlElements {
 public:
  explicit RomCollector(Catalogue& catalogue) : catalogue(catalogue) {}

  void Start(const char* name, const XmlAttribute* attributes,
             int count) override {
    const bool software = IsSoftware(name);
    // The first description child of the innermost software element.
    const bool description =
        !open.empty() && open.back().software && open.back().game >= 0 &&
        !open.back().described && std::strcmp(name, "description") == 0;
    if (description) open.back().described = true;
    open.push_back({software, software ? NameOf(attributes, count) : -1,
                    false, description});
    if (description) text.clear();
    if (std::strcmp(name, "rom") == 0) TakeRom(attributes, count);
  }

  void Text(const char* data, int length) override {
    if (!open.empty() && open.back().description) {
      text.append(data, static_cast<std::size_t>(length));
    }
  }

  void End(const char*) override {
    if (open.empty()) return;
    if (open.back().description) {
      const int game = open[open.size() - 2].game;
      catalogue.games[static_cast<std::size_t>(game)].description =
          Trimmed(text);
    }
    open.pop_back();
  }

 private:
  struct Open {
    bool software;
    int game;          // a software element with a name: its game
    bool described;    // its description was taken
    bool description;  // the description being taken
  };

  // A software element's game, when it has a name.
  int NameOf(const XmlAttribute* attributes, int count) {
    for (int i = 0; i < count; ++i) {
      if (std::strcmp(attributes[i].name, "name") == 0) {
        catalogue.games.push_back({attributes[i].value, std::string()});
        return static_cast<int>(catalogue.games.size()) - 1;
      }
    }
    return -1;
  }

  // The innermost software element's game.
  int EnclosingGame() const {
    for (auto at = open.rbegin(); at != open.rend(); ++at) {
      if (at->software) return at->game;
    }
    return -1;
  }

  void TakeRom(const XmlAttribute* attributes, int count) {
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
      entry.game = EnclosingGame();
      catalogue.entries.push_back(entry);
    }
  }

  Catalogue& catalogue;
  std::vector<Open> open;
  std::string text;
};

}  // namespace

void Catalogue::EntriesWithCrc(unsigned long crc, std::vector<int>& into) const {
  auto at = std::lower_bound(byCrc.begin(), byCrc.end(),
                             std::make_pair(crc, -1));
  for (; at != byCrc.end() && at->first == crc; ++at) into.push_back(at->second);
}

bool ReadCatalogues(const std::vector<const char*>& paths, Catalogue& catalogue,
                    CatalogueFailure& failure) {
  for (const char* path : paths) {
    RomCollector collector(catalogue);
    if (!ReadXmlFile(path, collector, failure.refusal)) {
      failure.path = path;
      return false;
    }
  }
  for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
    const CatalogueEntry& entry = catalogue.entries[i];
    if (entry.hasCrc) {
      catalogue.byCrc.push_back({entry.crc, static_cast<int>(i)});
    } else {
      catalogue.sha1Only.push_back(static_cast<int>(i));
    }
  }
  std::sort(catalogue.byCrc.begin(), catalogue.byCrc.end());
  return true;
}
