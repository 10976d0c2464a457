#include "d88info/JsonReport.h"

#include <nlohmann/json.hpp>

#include "platform/Console.h"

namespace {

// Members keep the order they are set in, the man page's.
using Json = nlohmann::ordered_json;

std::string Hex(const unsigned char* bytes, std::size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (std::size_t i = 0; i < size; ++i) {
    hex += kDigits[bytes[i] >> 4];
    hex += kDigits[bytes[i] & 0xf];
  }
  return hex;
}

std::string Hex(const std::string& bytes) {
  return Hex(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string Reason(const SystemError& error) {
  char reason[kMaxReasonText];
  return DescribeError(error, reason, sizeof reason);
}

// A disk's name decoded from code page 932, or null where its bytes are
// not valid there.
Json Name(const std::string& bytes) {
  char utf8[4 * kDiskNameLength + 1];
  const int length = Cp932ToUtf8(bytes.data(), static_cast<int>(bytes.size()),
                                 utf8, sizeof utf8);
  return length < 0 ? Json(nullptr) : Json(std::string(utf8, length));
}

const char* KindName(Problem::Kind kind) {
  switch (kind) {
    case Problem::Kind::kOpenFailed: return "open_failed";
    case Problem::Kind::kReadFailed: return "read_failed";
    case Problem::Kind::kEmpty: return "empty";
    case Problem::Kind::kEndsInsideDisk: return "ends_inside_disk";
    case Problem::Kind::kEndsInsideTrack: return "ends_inside_track";
    case Problem::Kind::kEndsBeforeTrack: return "ends_before_track";
    case Problem::Kind::kPastLimit: return "past_64_disks";
    case Problem::Kind::kUnownedBytes: return "unowned_bytes";
    case Problem::Kind::kWriteFailed: return "write_failed";
    case Problem::Kind::kCryptoFailed: return "hash_failed";
  }
  return "";
}

Json ProblemOf(const Problem& problem) {
  Json object;
  object["kind"] = KindName(problem.kind);
  if (problem.disk >= 0) object["disk"] = problem.disk + 1;
  switch (problem.kind) {
    case Problem::Kind::kOpenFailed:
    case Problem::Kind::kReadFailed:
      object["reason"] = Reason(problem.error);
      break;
    case Problem::Kind::kEndsInsideDisk:
      object["present"] = problem.present;
      object["declared"] = problem.declared;
      break;
    case Problem::Kind::kEndsInsideTrack:
    case Problem::Kind::kEndsBeforeTrack:
      object["track"] = problem.track;
      if (problem.kind == Problem::Kind::kEndsBeforeTrack) break;
      object["whole"] = problem.whole;
      object["count"] = problem.count;
      break;
    case Problem::Kind::kUnownedBytes: object["bytes"] = problem.bytes; break;
    case Problem::Kind::kWriteFailed:
      object["path"] = problem.failure.path;
      object["reason"] = Reason(problem.failure.error);
      break;
    default: break;
  }
  return object;
}

Json MatchOf(const DatMatch& match, const Catalogue& catalogue) {
  const CatalogueEntry& entry =
      catalogue.entries[static_cast<std::size_t>(match.entry)];
  Json object;
  object["match"] = match.exact ? "exact" : "header";
  object["differs"] = Json::array();
  for (const char* part : HeaderPartNames(match.parts)) {
    object["differs"].push_back(part);
  }
  object["rom"] = entry.name;
  object["game"] = nullptr;
  object["description"] = nullptr;
  if (entry.game >= 0) {
    const CatalogueGame& game =
        catalogue.games[static_cast<std::size_t>(entry.game)];
    object["game"] = game.name;
    if (!game.description.empty() && game.description != game.name) {
      object["description"] = game.description;
    }
  }
  return object;
}

Json DiskOf(const DiskReport& disk, const JsonOptions& options) {
  Json object;
  object["disk"] = disk.index + 1;
  object["offset"] = disk.offset;
  object["size"] = disk.declared;
  object["present"] = disk.present;
  object["name_bytes"] = Hex(disk.name);
  object["name"] = Name(disk.name);
  object["media"] = disk.media;
  const char* media = MediaTypeName(disk.media);
  object["media_type"] = media != nullptr ? Json(media) : Json(nullptr);
  object["protected"] = disk.writeProtected;
  object["tracks"] = disk.tracks;
  object["boot"] = disk.hasBoot ? Json(Hex(disk.boot)) : Json(nullptr);
  if (options.hash) {
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08lx", disk.crc);
    object["crc32"] = disk.hashed ? Json(crc) : Json(nullptr);
    object["sha1"] = disk.hashed ? Json(Hex(disk.sha1, kSha1Size)) : Json(nullptr);
    object["data_sha1"] =
        disk.hashed ? Json(Hex(disk.dataSha1, kSha1Size)) : Json(nullptr);
  }
  if (options.listTracks) {
    Json tracks = Json::array();
    for (const TrackIds& ids : disk.trackIds) {
      Json sectors = Json::array();
      for (const SectorInfo& sector : ids.sectors) {
        const std::string mark = SectorMark(sector);
        sectors.push_back({{"c", sector.c},
                           {"h", sector.h},
                           {"r", sector.r},
                           {"n", sector.n},
                           {"mark", mark.empty() ? Json(nullptr) : Json(mark)}});
      }
      tracks.push_back({{"track", ids.track},
                        {"c", ids.track >> 1},
                        {"h", ids.track & 1},
                        {"sectors", std::move(sectors)}});
    }
    object["track_ids"] = std::move(tracks);
  }
  if (options.drawMap) {
    Json maps = Json::array();
    for (const TrackMap& map : disk.trackMap) {
      maps.push_back({{"track", map.track},
                      {"c", map.track >> 1},
                      {"h", map.track & 1},
                      {"n", map.n},
                      {"map", map.marks}});
    }
    object["track_map"] = std::move(maps);
  }
  if (options.catalogue != nullptr) {
    Json matches = disk.matched ? Json::array() : Json(nullptr);
    for (const DatMatch& match : disk.matches) {
      matches.push_back(MatchOf(match, *options.catalogue));
    }
    object["dat"] = std::move(matches);
  }
  if (options.splitting) {
    object["piece"] = disk.piece.empty() ? Json(nullptr) : Json(disk.piece);
    const char* fallback = disk.pieceName.fallback;
    object["fallback"] = fallback != nullptr ? Json(fallback) : Json(nullptr);
  }
  return object;
}

}  // namespace

std::string JsonOf(const ImageReport& report, const JsonOptions& options) {
  Json object;
  object["format"] = 1;
  object["image"] = report.path;
  object["status"] = report.Status();
  object["problems"] = Json::array();
  for (const Problem& problem : report.problems) {
    object["problems"].push_back(ProblemOf(problem));
  }
  object["disks"] = Json::array();
  for (const DiskReport& disk : report.disks) {
    object["disks"].push_back(DiskOf(disk, options));
  }
  // Bytes of a path that are not UTF-8 become U+FFFD.
  return object.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void RenderJson(const ImageReport& report, const JsonOptions& options) {
  const std::string line = JsonOf(report, options) + "\n";
  // In pieces that end on a character's last byte.
  for (std::size_t at = 0; at < line.size();) {
    std::size_t end = std::min(line.size(), at + kMaxDataPiece);
    while (end < line.size() && end > at + 1 &&
           (static_cast<unsigned char>(line[end]) & 0xc0) == 0x80) {
      --end;
    }
    PrintData(ConsoleStream::kOut, line.substr(at, end - at).c_str());
    at = end;
  }
}
