#include "d88info/ImageReport.h"

std::string SectorMark(const SectorInfo& sector) {
  std::string mark;
  if (IsReadError(sector.status)) {
    const char* word = ReadErrorWord(ReadErrorKindOf(sector.status));
    if (word != nullptr) {
      mark = word;
    } else {
      static const char kHex[] = "0123456789abcdef";
      mark = "status-0x";
      mark += kHex[sector.status >> 4];
      mark += kHex[sector.status & 0xf];
    }
  }
  if (IsDeletedData(sector.deletedMark, sector.status)) {
    mark += mark.empty() ? "deleted" : ":deleted";
  }
  return mark;
}

std::vector<const char*> HeaderPartNames(unsigned parts) {
  std::vector<const char*> names;
  if ((parts & kPartWriteProtect) != 0) names.push_back("write-protect");
  if ((parts & kPartName) != 0) names.push_back("name");
  if ((parts & kPartReserved) != 0) names.push_back("reserved");
  return names;
}

std::string JoinedParts(unsigned parts) {
  std::string text;
  for (const char* name : HeaderPartNames(parts)) {
    if (!text.empty()) text += ',';
    text += name;
  }
  return text;
}
