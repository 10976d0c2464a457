#include "d88info/TextReport.h"

#include <cstdio>
#include <string>

#include "platform/Console.h"

namespace {

bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9f) || (byte >= 0xe0 && byte <= 0xfc);
}

bool IsTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7e) || (byte >= 0x80 && byte <= 0xfc);
}

// True when the bytes are all Shift-JIS text (printable ASCII, half-width
// kana, or a lead byte and its trail byte) with at least one character
// that is not ASCII.
bool IsJapaneseText(const std::string& bytes) {
  bool japanese = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (byte >= 0x20 && byte <= 0x7e) continue;
    japanese = true;
    if (byte >= 0xa1 && byte <= 0xdf) continue;
    if (!IsLeadByte(byte) || i + 1 == bytes.size() ||
        !IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
      return false;
    }
    ++i;
  }
  return japanese;
}

// One byte as a quoted string shows it: printable ASCII as it is,
// everything else (and the quote and backslash) escaped.
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

std::string Quoted(const std::string& bytes) {
  std::string quoted = "\"";
  char text[5];
  for (const char byte : bytes) {
    quoted += QuotedByte(static_cast<unsigned char>(byte), text);
  }
  return quoted + "\"";
}

// A line of standard output: with several images, it begins with the
// image's path, printed as the messages print paths.
class OutputLine {
 public:
  explicit OutputLine(const TextOptions& options, const std::string& path) {
    if (!options.several) return;
    PrintArgument(ConsoleStream::kOut, path.c_str());
    PrintText(ConsoleStream::kOut, ": ");
  }
  ConsoleLine& operator*() { return line; }
  ConsoleLine* operator->() { return &line; }

 private:
  ConsoleLine line;
};

// Text of unknown length goes in pieces that a line takes whole.
void AddText(ConsoleLine& line, const std::string& text) {
  constexpr std::size_t kPiece = kMaxConsoleMessage / 4;
  for (std::size_t at = 0; at < text.size(); at += kPiece) {
    line.Add("%s", text.substr(at, kPiece).c_str());
  }
}

// A disk's name: where standard output is a terminal that shows Japanese
// and the name is Japanese text it converts, the text itself, quoted, with
// the ASCII quote and backslash escaped (never a trail byte); else quoted
// as any other bytes, in plain ASCII.
void AddName(ConsoleLine& line, const std::string& name) {
  if (name.size() > static_cast<std::size_t>(kDiskNameLength) ||
      !IsJapaneseText(name) ||
      !ShowsAsJapanese(ConsoleStream::kOut, name.data(),
                       static_cast<int>(name.size()))) {
    AddText(line, Quoted(name));
    return;
  }
  std::string text = "\"";
  for (std::size_t i = 0; i < name.size(); ++i) {
    const bool pair = IsLeadByte(static_cast<unsigned char>(name[i]));
    if (!pair && (name[i] == '"' || name[i] == '\\')) text += '\\';
    text += name[i];
    if (pair) text += name[++i];
  }
  // One item, so that no piece of the line ends inside a character.
  line.Add("%s\"", text.c_str());
}

// "N bytes that belong to no disk", or "1 byte that belongs ...".
std::string UnownedBytes(long long bytes) {
  return std::to_string(bytes) +
         (bytes == 1 ? " byte that belongs" : " bytes that belong") +
         " to no disk";
}

void AddDigest(ConsoleLine& line, const unsigned char* digest) {
  for (int i = 0; i < kSha1Size; ++i) line.Add("%02x", digest[i]);
}

// "d88info: PATH: ", which begins each line about a file as a whole.
void BeginFileLine(const std::string& path) {
  PrintText(ConsoleStream::kErr, "d88info: ");
  PrintArgument(ConsoleStream::kErr, path.c_str());
  PrintText(ConsoleStream::kErr, ": ");
}

// "d88info: ", and with several images the path, for a line that names
// no file alone.
void BeginLine(const TextOptions& options, const std::string& path) {
  if (options.several) {
    BeginFileLine(path);
  } else {
    PrintText(ConsoleStream::kErr, "d88info: ");
  }
}

void RenderDisk(const DiskReport& disk, const ImageReport& report,
                const TextOptions& options) {
  const int number = disk.index + 1;
  {
    OutputLine line(options, report.path);
    line->Add("disk %d name ", number);
    AddName(*line, disk.name);
    const char* media = MediaTypeName(disk.media);
    line->Add(" media 0x%02x %s protected %s tracks %d ", disk.media,
              media != nullptr ? media : "unknown",
              disk.writeProtected ? "yes" : "no", disk.tracks);
    if (disk.present < disk.declared) {
      line->Add("truncated %d/%d ", disk.present, disk.declared);
    }
    line->Add("boot ");
    if (disk.hasBoot) {
      AddText(*line, Quoted(disk.boot));
    } else {
      line->Add("none");
    }
    line->End();
  }
  for (const Problem& problem : report.problems) {
    if (problem.kind == Problem::Kind::kWriteFailed &&
        problem.disk == disk.index) {
      ReportFailure("cannot write ", problem.failure.path.c_str(),
                    problem.failure.error);
    }
  }
  if (disk.hashed) {
    OutputLine line(options, report.path);
    line->Add("disk %d crc32 %08lx sha1 ", number, disk.crc);
    AddDigest(*line, disk.sha1);
    line->Add(" data-sha1 ");
    AddDigest(*line, disk.dataSha1);
    line->End();
  }
  if (disk.matched && disk.matches.empty()) {
    OutputLine line(options, report.path);
    line->Add("disk %d dat none", number);
    line->End();
  }
  for (const DatMatch& match : disk.matches) {
    const CatalogueEntry& entry =
        options.catalogue->entries[static_cast<std::size_t>(match.entry)];
    OutputLine line(options, report.path);
    line->Add("disk %d dat ", number);
    if (match.exact) {
      line->Add("exact ");
    } else {
      line->Add("header %s ", JoinedParts(match.parts).c_str());
    }
    AddText(*line, Quoted(entry.name));
    if (entry.game >= 0) {
      const CatalogueGame& game =
          options.catalogue->games[static_cast<std::size_t>(entry.game)];
      line->Add(" game ");
      AddText(*line, Quoted(game.name));
      if (!game.description.empty() && game.description != game.name) {
        line->Add(" ");
        AddText(*line, Quoted(game.description));
      }
    }
    line->End();
  }
  for (const TrackIds& ids : disk.trackIds) {
    OutputLine line(options, report.path);
    line->Add("disk %d track %d c %d h %d sectors %d ids", number, ids.track,
              ids.track >> 1, ids.track & 1,
              static_cast<int>(ids.sectors.size()));
    for (const SectorInfo& sector : ids.sectors) {
      line->Add(" %02x.%02x.%02x.%02x", sector.c, sector.h, sector.r,
                sector.n);
      const std::string mark = SectorMark(sector);
      if (!mark.empty()) line->Add(":%s", mark.c_str());
    }
    line->End();
  }
  for (const TrackMap& map : disk.trackMap) {
    OutputLine line(options, report.path);
    line->Add("disk %d track %d c %d h %d n %d map ", number, map.track,
              map.track >> 1, map.track & 1, map.n);
    AddText(*line, map.marks);
    line->End();
  }
}

void RenderProblem(const Problem& problem, const ImageReport& report,
                   const TextOptions& options) {
  switch (problem.kind) {
    case Problem::Kind::kOpenFailed:
      ReportFailure("cannot open ", report.path.c_str(), problem.error);
      break;
    case Problem::Kind::kReadFailed:
      ReportFailure("cannot read ", report.path.c_str(), problem.error);
      break;
    case Problem::Kind::kEmpty:
      BeginFileLine(report.path);
      PrintText(ConsoleStream::kErr, "image is empty\n");
      break;
    case Problem::Kind::kEndsInsideDisk:
      BeginFileLine(report.path);
      PrintFormat(ConsoleStream::kErr, "ends inside disk %d (%lld of %lld bytes)\n",
                  problem.disk + 1, problem.present, problem.declared);
      break;
    case Problem::Kind::kEndsInsideTrack:
      BeginFileLine(report.path);
      PrintFormat(ConsoleStream::kErr,
                  "ends inside track %d of disk %d (%d of %d sectors)\n",
                  problem.track, problem.disk + 1, problem.whole, problem.count);
      break;
    case Problem::Kind::kEndsBeforeTrack:
      BeginFileLine(report.path);
      PrintFormat(ConsoleStream::kErr, "ends before track %d of disk %d\n",
                  problem.track, problem.disk + 1);
      break;
    case Problem::Kind::kPastLimit:
      BeginLine(options, report.path);
      PrintFormat(ConsoleStream::kErr,
                  options.splitting
                      ? "disks past the %dth were neither listed nor written\n"
                      : "disks past the %dth were not listed\n",
                  D88Image::kMaxDisks);
      break;
    case Problem::Kind::kUnownedBytes:
      BeginFileLine(report.path);
      PrintFormat(ConsoleStream::kErr, "ends with %s\n",
                  UnownedBytes(problem.bytes).c_str());
      break;
    case Problem::Kind::kCryptoFailed:
      BeginLine(options, report.path);
      PrintText(ConsoleStream::kErr,
                "the system's crypto library could not hash\n");
      break;
    case Problem::Kind::kWriteFailed: break;  // after its disk's line
  }
}

void ReportFallbacks(const ImageReport& report, const TextOptions& options) {
  for (const DiskReport& disk : report.disks) {
    const PieceName& piece = disk.pieceName;
    if (piece.fallback == nullptr) continue;
    BeginLine(options, report.path);
    PrintFormat(ConsoleStream::kErr, "disk %d: ", disk.index + 1);
    PrintText(ConsoleStream::kErr, Quoted(piece.exactName).c_str());
    PrintFormat(ConsoleStream::kErr, " %s; written as ", piece.fallback);
    PrintArgument(ConsoleStream::kErr, piece.name.c_str());
    PrintText(ConsoleStream::kErr, "\n");
  }
}

}  // namespace

void RenderText(const ImageReport& report, const TextOptions& options) {
  ReportFallbacks(report, options);
  if (report.listed) {
    OutputLine line(options, report.path);
    line->Add("image disks %d", report.diskCount);
    line->End();
    if (report.empty) {
      OutputLine empty(options, report.path);
      empty->Add("image empty");
      empty->End();
    }
    if (options.drawMap) {
      OutputLine legend(options, report.path);
      legend->Add("legend " D88INFO_MAP_MARKS);
      legend->End();
    }
  }
  for (const DiskReport& disk : report.disks) RenderDisk(disk, report, options);
  if (report.unownedBytes > 0) {
    OutputLine line(options, report.path);
    line->Add("image ends with %s", UnownedBytes(report.unownedBytes).c_str());
    line->End();
  }
  for (const Problem& problem : report.problems) {
    RenderProblem(problem, report, options);
  }
}

void ReportProblems(const ImageReport& report, const TextOptions& options) {
  ReportFallbacks(report, options);
  for (const Problem& problem : report.problems) {
    if (problem.kind == Problem::Kind::kWriteFailed) {
      ReportFailure("cannot write ", problem.failure.path.c_str(),
                    problem.failure.error);
    } else {
      RenderProblem(problem, report, options);
    }
  }
}

void ReportFailure(const char* what, const char* path,
                   const SystemError& error) {
  char reason[kMaxReasonText];
  PrintText(ConsoleStream::kErr, "d88info: ");
  PrintText(ConsoleStream::kErr, what);
  if (path != nullptr) PrintArgument(ConsoleStream::kErr, path);
  PrintText(ConsoleStream::kErr, ": ");
  PrintArgument(ConsoleStream::kErr,
                DescribeError(error, reason, sizeof reason));
  PrintText(ConsoleStream::kErr, "\n");
}

void ReportCatalogueFailure(const CatalogueFailure& failure) {
  if (failure.refusal.line == 0) {
    ReportFailure("cannot read catalogue ", failure.path, failure.refusal.error);
    return;
  }
  BeginFileLine(failure.path);
  PrintFormat(ConsoleStream::kErr, "line %d: ", failure.refusal.line);
  PrintArgument(ConsoleStream::kErr, failure.refusal.words.c_str());
  PrintText(ConsoleStream::kErr, "\n");
}
