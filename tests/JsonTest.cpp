// d88info --json: for a corpus of images and every option, each fact of
// the text lines is in the JSON of the same run, member by member, on
// every system; and the strings are UTF-8 whatever the bytes.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <regex>

#include "ProgramRun.h"
#include "builder/D88Builder.h"

namespace {

namespace fs = std::filesystem;
using d88build::Bytes;
using d88build::DiskSpec;
using Json = nlohmann::json;

std::string HexOf(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char byte : bytes) {
    hex += kDigits[static_cast<unsigned char>(byte) >> 4];
    hex += kDigits[static_cast<unsigned char>(byte) & 0xf];
  }
  return hex;
}

// The bytes a quoted string of the listing stands for.
std::string Unquoted(const std::string& quoted) {
  std::string bytes;
  for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
    if (quoted[i] != '\\') {
      bytes += quoted[i];
    } else if (quoted[i + 1] == 'x') {
      bytes += static_cast<char>(std::stoi(quoted.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      bytes += quoted[++i];
    }
  }
  return bytes;
}

// The JSON object that the text lines of one image say: its disks and
// problems, with the members the lines give, each built from the line.
Json FromText(const std::string& out, const std::string& err,
              const std::vector<std::string>& options) {
  const auto has = [&](const char* option) {
    return std::find(options.begin(), options.end(), option) != options.end();
  };
  const std::string quoted = "(\"(?:[^\"\\\\]|\\\\.)*\")";
  const std::regex diskLine("disk (\\d+) name " + quoted +
                            " media 0x(..) (\\S+) protected (yes|no) tracks (\\d+) "
                            "(?:truncated (\\d+)/(\\d+) )?boot (none|" + quoted + ")");
  const std::regex hashLine("disk \\d+ crc32 (\\S+) sha1 (\\S+) data-sha1 (\\S+)");
  const std::regex datLine("disk \\d+ dat (exact|header (\\S+)) " + quoted +
                           "(?: game " + quoted + "(?: " + quoted + ")?)?");
  const std::regex trackLine("disk \\d+ track (\\d+) c (\\d+) h (\\d+) sectors \\d+ ids(.*)");
  const std::regex idField(" (..)\\.(..)\\.(..)\\.(..)((?::[a-z0-9x-]+)*)");
  const std::regex mapLine("disk \\d+ track (\\d+) c (\\d+) h (\\d+) n (\\d+) map (.*)");
  const std::regex endsWith("ends with (\\d+) bytes? that belongs? to no disk");
  Json object = {{"problems", Json::array()}, {"disks", Json::array()}};
  std::istringstream lines(out);
  std::smatch m;
  for (std::string line; std::getline(lines, line);) {
    Json* disk = object["disks"].empty() ? nullptr : &object["disks"].back();
    const auto hex = [](const std::string& text) { return std::stoi(text, nullptr, 16); };
    if (std::regex_match(line, m, diskLine)) {
      const std::string name = Unquoted(m[2]);
      Json fields = {{"disk", std::stoi(m[1])}, {"name_bytes", HexOf(name)},
                     {"media", hex(m[3])},
                     {"media_type", m[4] == "unknown" ? Json() : Json(m[4])},
                     {"protected", m[5] == "yes"}, {"tracks", std::stoi(m[6])},
                     {"boot", m[9] == "none" ? Json() : Json(HexOf(Unquoted(m[9])))}};
      if (m[7].matched) {
        fields["present"] = std::stoi(m[7]);
        fields["size"] = std::stoi(m[8]);
      }
      if (has("--tracks")) fields["track_ids"] = Json::array();
      if (has("--map")) fields["track_map"] = Json::array();
      if (has("--dat")) fields["dat"] = Json::array();
      object["disks"].push_back(fields);
    } else if (std::regex_match(line, m, hashLine)) {
      (*disk)["crc32"] = m[1];
      (*disk)["sha1"] = m[2];
      (*disk)["data_sha1"] = m[3];
    } else if (std::regex_match(line, m, datLine)) {
      Json differs = Json::array();
      std::istringstream parts(m[2].str());
      for (std::string part; std::getline(parts, part, ',');) differs.push_back(part);
      (*disk)["dat"].push_back(
          {{"match", m[1].str().substr(0, m[1].str().find(' '))},
           {"differs", differs}, {"rom", Unquoted(m[3])},
           {"game", m[4].matched ? Json(Unquoted(m[4])) : Json()},
           {"description", m[5].matched ? Json(Unquoted(m[5])) : Json()}});
    } else if (std::regex_match(line, m, trackLine)) {
      Json sectors = Json::array();
      const std::string ids = m[4];
      for (std::sregex_iterator at(ids.begin(), ids.end(), idField), end; at != end; ++at) {
        const std::smatch& id = *at;
        sectors.push_back({{"c", hex(id[1])}, {"h", hex(id[2])}, {"r", hex(id[3])},
                           {"n", hex(id[4])},
                           {"mark", id[5].length() > 0 ? Json(id[5].str().substr(1)) : Json()}});
      }
      (*disk)["track_ids"].push_back({{"track", std::stoi(m[1])}, {"c", std::stoi(m[2])},
                                      {"h", std::stoi(m[3])}, {"sectors", sectors}});
    } else if (std::regex_match(line, m, mapLine)) {
      (*disk)["track_map"].push_back({{"track", std::stoi(m[1])}, {"c", std::stoi(m[2])},
                                      {"h", std::stoi(m[3])}, {"n", std::stoi(m[4])},
                                      {"map", m[5]}});
    } else if (std::regex_search(line, m, endsWith)) {
      object["problems"].push_back({{"kind", "unowned_bytes"}, {"bytes", std::stoll(m[1])}});
    } else if (line == "image empty") {
      object["problems"].push_back({{"kind", "empty"}});
    }
  }
  // What standard error names that standard output does not: a pattern
  // and the kind and numeric members its groups give.
  const struct {
    const char* pattern;
    const char* kind;
    std::vector<const char*> members;
  } named[] = {
      {"ends inside disk (\\d+) \\((\\d+) of (\\d+) bytes\\)", "ends_inside_disk",
       {"disk", "present", "declared"}},
      {"ends inside track (\\d+) of disk (\\d+) \\((\\d+) of (\\d+) sectors\\)",
       "ends_inside_track", {"track", "disk", "whole", "count"}},
      {"ends before track (\\d+) of disk (\\d+)$", "ends_before_track", {"track", "disk"}},
      {"disks past the 64th", "past_64_disks", {}},
  };
  const std::regex failed("^d88info: cannot (open|read) .*?: (.*)$");
  const std::regex unwritten("^d88info: cannot write (.*): (.*)$");
  const std::regex fallback("^d88info: disk (\\d+): " + quoted + " (.*); written as .*$");
  std::istringstream errors(err);
  for (std::string line; std::getline(errors, line);) {
    if (std::regex_search(line, m, failed)) {
      object["problems"].push_back({{"kind", m[1].str() + "_failed"}, {"reason", m[2]}});
    } else if (std::regex_search(line, m, unwritten)) {
      object["problems"].push_back({{"kind", "write_failed"}, {"path", m[1]},
                                    {"reason", m[2]}});
    } else if (std::regex_search(line, m, fallback)) {
      object["disks"][std::stoi(m[1]) - 1]["fallback"] = m[3];
    }
    for (const auto& problem : named) {
      if (!std::regex_search(line, m, std::regex(problem.pattern))) continue;
      Json fields = {{"kind", problem.kind}};
      for (std::size_t k = 0; k < problem.members.size(); ++k) {
        fields[problem.members[k]] = std::stoll(m[k + 1]);
      }
      object["problems"].push_back(fields);
    }
  }
  return object;
}

// Every member `expected` gives is in `actual` with its value; a list of
// objects is compared item by item.
void ExpectHolds(const Json& actual, const Json& expected, const std::string& where) {
  if (expected.is_object()) {
    ASSERT_TRUE(actual.is_object()) << where;
    for (const auto& [key, value] : expected.items()) {
      ASSERT_TRUE(actual.contains(key)) << where << "." << key;
      ExpectHolds(actual[key], value, where + "." + key);
    }
  } else if (expected.is_array() && !expected.empty() && expected[0].is_object()) {
    ASSERT_TRUE(actual.is_array() && actual.size() == expected.size())
        << where << ": " << actual.dump() << " against " << expected.dump();
    for (std::size_t i = 0; i < expected.size(); ++i) {
      ExpectHolds(actual[i], expected[i], where + "[" + std::to_string(i) + "]");
    }
  } else {
    EXPECT_EQ(actual, expected) << where;
  }
}

class JsonOutput : public ::testing::Test {
 protected:
  progrun::RunResult Run(std::vector<std::string> args) {
    return progrun::Run(progrun::ProgramPath("d88info"), args, dir.path());
  }
  void Write(const std::string& name, const Bytes& bytes) {
    d88build::WriteFile((dir / name).string(), bytes);
  }
  progrun::ScratchDir dir;
};

// A corpus of images, whole, damaged, cut and variant, each with every
// option: the JSON holds what the text lines say, the status each image
// alone gives, and standard error and the status are the text run's.
TEST_F(JsonOutput, EachFactOfTheTextLinesIsInTheJson) {
  DiskSpec damaged = d88build::FormattedDisk(3);
  damaged.name = "A \"q\" \\ b: c";
  damaged.writeProtect = 0x10;
  d88build::SetBootSignature(damaged, "Pelk_No", '8');
  damaged.tracks[1][2].status = 0xB0;
  damaged.tracks[1][3].deletedMark = 0x10;
  damaged.tracks[1][3].status = 0xA0;
  damaged.tracks[2][0].status = 0x20;
  DiskSpec japanese = d88build::FormattedDisk(1);
  japanese.name = "\x83\x66\x83\x42\x83\x58\x83\x4e";  // ディスク
  japanese.mediaType = 0x99;
  DiskSpec invalid = d88build::FormattedDisk(1);
  invalid.name = "\x81\x20";  // a lead byte and no trail byte
  const Bytes whole = d88build::BuildImage({damaged, japanese, invalid});
  Bytes cut(whole.begin(), whole.end() - 100);
  Bytes tail = whole;
  tail.push_back(0);
  Write("whole.d88", whole);
  Write("cut.d88", cut);
  Write("tail.d88", tail);
  Write("empty.d88", {});
  // A disk cut after the first record of its last track, its size set.
  Bytes track = d88build::BuildDisk(d88build::FormattedDisk(3));
  track.resize(d88build::RecordOffset(d88build::FormattedDisk(3), 2, 1));
  d88build::PutLe32(track, d88build::kDiskSizeOffset,
                    static_cast<std::uint32_t>(track.size()));
  Write("track.d88", track);
  Write("many.d88", d88build::BuildImage(std::vector<DiskSpec>(65, d88build::FormattedDisk(1))));
  const auto hashes = Run({"--hash", "whole.d88"}).out;
  const std::size_t at = hashes.find("disk 1 crc32 ");
  const std::string dat =
      "<datafile><game name=\"G\"><description>The G</description>"
      "<rom name=\"first/one\" size=\"" + std::to_string(d88build::BuildDisk(damaged).size()) +
      "\" crc=\"" + hashes.substr(at + 13, 8) + "\" sha1=\"" +
      hashes.substr(at + 27, 40) + "\"/></game><rom name=\"loose\" size=\"1\" "
      "crc=\"00000000\"/></datafile>";
  Write("c.dat", Bytes(dat.begin(), dat.end()));
  const std::vector<std::string> images = {"whole.d88", "cut.d88",  "tail.d88",
                                           "track.d88", "empty.d88", "many.d88",
                                           "missing.d88"};
  // A folder stands where a piece would go.
  fs::create_directories(dir / "pieces" / "cut-01.d88");
  const std::vector<std::vector<std::string>> optionSets = {
      {},
      {"--hash", "--tracks", "--map", "--dat", "c.dat"},
      {"--dat", "c.dat", "--split", "pieces"}};
  for (const auto& options : optionSets) {
    for (const std::string& image : images) {
      SCOPED_TRACE(image + " " + (options.empty() ? "" : options[0]));
      std::vector<std::string> args = options;
      args.push_back(image);
      const auto text = Run(args);
      args.insert(args.begin(), "--json");
      const auto json = Run(args);
      EXPECT_EQ(json.status, text.status);
      EXPECT_EQ(json.err, text.err);
      ASSERT_EQ(std::count(json.out.begin(), json.out.end(), '\n'), 1) << json.out;
      const Json object = Json::parse(json.out);
      EXPECT_EQ(object["format"], 1);
      EXPECT_EQ(object["image"], image);
      EXPECT_EQ(object["status"], text.status);
      ExpectHolds(object, FromText(text.out, text.err, options), "");
      const std::size_t listed = text.out.find("image disks ") == 0
                                     ? std::stoul(text.out.substr(12))
                                     : 0;
      EXPECT_EQ(object["disks"].size(), listed);
      // The members of an option not given are left out.
      const auto given = [&](const char* option) {
        return std::count(options.begin(), options.end(), option) > 0;
      };
      for (const Json& disk : object["disks"]) {
        EXPECT_EQ(disk.contains("crc32"), given("--hash"));
        EXPECT_EQ(disk.contains("track_ids"), given("--tracks"));
        EXPECT_EQ(disk.contains("piece"), given("--split"));
        EXPECT_EQ(disk.contains("fallback"), given("--split"));
      }
    }
  }
  // Names: Japanese text decoded, bytes that are no code page 932 null,
  // quotes, backslashes and ": " as they are.
  const Json disks = Json::parse(Run({"--json", "whole.d88"}).out)["disks"];
  EXPECT_EQ(disks[0]["name"], "A \"q\" \\ b: c");
  EXPECT_EQ(disks[1]["name"], "\xe3\x83\x87\xe3\x82\xa3\xe3\x82\xb9\xe3\x82\xaf");
  EXPECT_TRUE(disks[2]["name"].is_null());
  EXPECT_EQ(disks[2]["name_bytes"], "8120");
  // Several images: one object a line, in order; a path that is no UTF-8
  // has U+FFFD for its bytes.
  std::string odd = "bad\xff.d88";
  if (progrun::TestingWindowsPrograms()) odd = "\xe3\x83\x87.d88";  // Windows paths are Unicode
  Write(odd, whole);
  const auto several = Run({"--json", "tail.d88", odd});
  std::istringstream lines(several.out);
  std::string first;
  std::string second;
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_EQ(Json::parse(first)["image"], "tail.d88");
  EXPECT_EQ(Json::parse(second)["image"],
            progrun::TestingWindowsPrograms() ? odd : "bad\xef\xbf\xbd.d88");
  EXPECT_EQ(Json::parse(first)["status"], 1);
  EXPECT_EQ(Json::parse(second)["status"], 0);
}

}  // namespace
