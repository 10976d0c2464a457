// d88info --dat: disks named from catalogues of known dumps that the tests
// make from the images they build, with CRC32 and SHA-1 computed here by
// zlib's and the crypto library's own calls.

#include <gtest/gtest.h>

#include <openssl/evp.h>
#include <zlib.h>

#include <filesystem>

#include "ProgramRun.h"
#include "builder/D88Builder.h"

namespace {

namespace fs = std::filesystem;
using d88build::Bytes;

// A rom element's size, crc and sha1 attributes for `bytes` (the sha1 that
// of `sha1Of` where given), the hex in either case; left out where not
// wanted.
std::string Sums(const Bytes& bytes, bool crc, bool sha1, bool upper = false,
                 const Bytes* sha1Of = nullptr) {
  char text[64];
  std::string sums = "size=\"" + std::to_string(bytes.size()) + "\"";
  if (crc) {
    std::snprintf(text, sizeof text, upper ? " crc=\"%08lX\"" : " crc=\"%08lx\"",
                  crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
    sums += text;
  }
  if (sha1) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    const Bytes& hashed = sha1Of != nullptr ? *sha1Of : bytes;
    EVP_Digest(hashed.data(), hashed.size(), digest, &size, EVP_sha1(), nullptr);
    sums += " sha1=\"";
    for (unsigned int i = 0; i < size; ++i) {
      std::snprintf(text, sizeof text, upper ? "%02X" : "%02x", digest[i]);
      sums += text;
    }
    sums += "\"";
  }
  return sums;
}

Bytes WithHeader(Bytes disk, std::size_t from, const Bytes& bytes) {
  std::copy(bytes.begin(), bytes.end(), disk.begin() + static_cast<long>(from));
  return disk;
}

class Catalogues : public ::testing::Test {
 protected:
  progrun::RunResult Run(const std::vector<std::string>& args) {
    return progrun::Run(progrun::ProgramPath("d88info"), args, dir.path());
  }
  void Write(const std::string& name, const std::string& text) {
    d88build::WriteFile((dir / name).string(), Bytes(text.begin(), text.end()));
  }
  progrun::ScratchDir dir;
};

// Each disk of a joined image gets a line for each entry it matches, in the
// catalogues' order: as it lies in the image, or once its write-protect
// byte, name or reserved bytes are set as the entry's copy has them (the
// smallest such set; the third disk is the first with reserved bytes). An
// entry gives a name, a size and a CRC32, a SHA-1 or both; one with md5
// alone, a CRC32 or SHA-1 that is no hex of its length, a size that is no
// decimal of a disk's, or no name, a joined image in a comment, and a
// CRC32 candidate whose SHA-1 differs are passed over. A line names the entry's game,
// machine or software and its first description, trimmed, where that is
// not empty and not the name.
TEST_F(Catalogues, DisksAreNamedAsLaidAndOnceTheirHeaderIsSetAsTheCopyHasIt) {
  d88build::DiskSpec laid = d88build::FormattedDisk(2);
  laid.name = "Original";
  const Bytes original = d88build::BuildDisk(laid);
  Bytes reserved = WithHeader(original, 17, Bytes(9, 0x55));
  const Bytes other = d88build::BuildDisk(d88build::FormattedDisk(1));
  Bytes image = original;
  image.insert(image.end(), other.begin(), other.end());
  image.insert(image.end(), reserved.begin(), reserved.end());
  const Bytes protectedCopy = WithHeader(original, 26, {0x10});
  const Bytes nameless = WithHeader(original, 0, Bytes(17, 0));
  const Bytes both = WithHeader(protectedCopy, 0, Bytes(17, 0));
  Bytes forged = protectedCopy;
  forged.back() ^= 1;  // another SHA-1
  Write("a.dat",
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE datafile PUBLIC \"-//Logiqx//DTD ROM Management "
        "Datafile//EN\" \"http://www.logiqx.com/Dats/datafile.dtd\">\n"
        "<datafile><header><name>Disks &amp; more</name></header>\n"
        "<game name=\"A\"><description>A &lt;1&gt;</description>\n"
        "<rom name=\"md5 only\" size=\"" + std::to_string(original.size()) +
        "\" md5=\"00\"/>\n"
        "<rom name=\"no hex\" size=\"" + std::to_string(original.size()) +
        "\" crc=\"0x00000g\"/>\n"
        "<rom name=\"no size\" size=\"3a\" crc=\"00000000\"/>\n"
        "<rom name=\"too large\" size=\"1234567890123\" crc=\"00000000\"/>\n"
        "<rom name=\"short sha1\" size=\"1\" sha1=\"00\"/>\n"
        "<rom size=\"1\" crc=\"00000000\"/>\n"
        "<rom name=\"Exact &amp; &quot;one&quot;\" " +
        Sums(original, true, true, true) + "/>\n"
        "<rom name=\"protected\" " + Sums(protectedCopy, true, true) + "/>\n"
        "<rom name=\"nameless \xe3\x82\xb2\" " + Sums(nameless, true, false) +
        "/>\n"
        "<rom name=\"forged\" " + Sums(protectedCopy, true, true, false, &forged) +
        "/>\n"
        "<rom name=\"both\" " + Sums(both, true, true) + "/>\n"
        "<rom name=\"by sha1\" " + Sums(original, false, true) + "/>\n"
        "</game>\n"
        "<machine name=\"M\"><description> M </description>"
        "<rom name=\"m\" " + Sums(other, true, true) + "/></machine>\n"
        "<game><description>d</description>"
        "<rom name=\"in a game without a name\" " + Sums(other, true, false) +
        "/></game></datafile>\n");
  Write("b.xml",
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE softwarelist SYSTEM \"softwarelist.dtd\">\n"
        "<softwarelist name=\"x\"><software name=\"y\">\n"
        "<description>\n  Why \n</description><description>2</description>\n"
        "<notes><![CDATA[<rom name=\"in cdata\" " + Sums(other, true, true) +
        "/>]]></notes>\n"
        "<!--rom name=\"joined\" " + Sums(other, true, true) + "/-->\n"
        "<part name=\"flop1\" interface=\"floppy\"><dataarea name=\"flop\">"
        "<rom name=\"reserved.d88\" " + Sums(original, true, true) + "/>"
        "</dataarea></part></software></softwarelist>\n");
  d88build::WriteFile((dir / "set.d88").string(), image);

  const auto result = Run({"--dat", "a.dat", "--dat", "b.xml", "set.d88"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  std::string lines;
  for (std::size_t at = 0; at < result.out.size();) {
    const std::size_t end = result.out.find('\n', at) + 1;
    if (result.out.compare(at, 5, "disk ") == 0 &&
        result.out.find(" dat ", at) < end) {
      lines += result.out.substr(at, end - at);
    }
    at = end;
  }
  const std::string a = " game \"A\" \"A <1>\"\n";
  const std::string y = " game \"y\" \"Why\"\n";
  EXPECT_EQ(lines,
            "disk 1 dat exact \"Exact & \\\"one\\\"\"" + a +
            "disk 1 dat header write-protect \"protected\"" + a +
            "disk 1 dat header name \"nameless \\xe3\\x82\\xb2\"" + a +
            "disk 1 dat header write-protect,name \"both\"" + a +
            "disk 1 dat exact \"by sha1\"" + a +
            "disk 1 dat exact \"reserved.d88\"" + y +
            "disk 2 dat exact \"m\" game \"M\"\n"
            "disk 2 dat exact \"in a game without a name\"\n"
            "disk 3 dat header reserved \"Exact & \\\"one\\\"\"" + a +
            "disk 3 dat header write-protect,reserved \"protected\"" + a +
            "disk 3 dat header name,reserved \"nameless \\xe3\\x82\\xb2\"" + a +
            "disk 3 dat header write-protect,name,reserved \"both\"" + a +
            "disk 3 dat header reserved \"reserved.d88\"" + y);
}

// UTF-8 text in UTF-16, little-endian unless `big`, with a byte order
// mark where `mark`.
std::string Utf16(const std::string& utf8, bool big = false, bool mark = true) {
  std::string wide;
  const auto unit = [&](unsigned value) {
    const char high = static_cast<char>(value >> 8);
    const char low = static_cast<char>(value & 0xff);
    wide += big ? high : low;
    wide += big ? low : high;
  };
  if (mark) unit(0xfeff);
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const int more = lead >= 0xf0 ? 3 : lead >= 0xe0 ? 2 : lead >= 0xc0 ? 1 : 0;
    unsigned code = lead & (0x7f >> more);
    for (int k = 1; k <= more; ++k) code = code << 6 | (utf8[i + k] & 0x3f);
    i += 1 + more;
    if (code >= 0x10000) {
      unit(0xd800 + ((code - 0x10000) >> 10));
      unit(0xdc00 + ((code - 0x10000) & 0x3ff));
    } else {
      unit(code);
    }
  }
  return wide;
}

// A catalogue that cannot be read, is no XML, is not well-formed, has an
// internal DTD subset, an entity other than the predefined ones (also
// under an external DOCTYPE, where the parser itself would drop it) or an
// encoding other than those expat reads is named in one line, with the
// line and words that are the same on every system: exit 1, nothing
// listed, no hang. The Windows program gives the Linux one's bytes, and
// takes what the Linux one takes.
TEST_F(Catalogues, RefusedCataloguesAreNamedInOneLineAsOnEverySystem) {
  d88build::WriteFile((dir / "set.d88").string(),
                      d88build::BuildImage({d88build::FormattedDisk(1)}));
  fs::create_directory(dir / "folder.dat");
  const std::string doctype = "<!DOCTYPE a SYSTEM \"a.dtd\">\n";
  const struct {
    std::string name;
    std::string text;
    std::string err;  // after "d88info: NAME: "; empty for a catalogue taken
  } cases[] = {
      {"cut.dat", "<a><rom name=\"x\" si", "line 1: ends inside the document"},
      {"space.dat", "<a>\n  ", "line 2: ends inside the document"},
      {"comment.dat", "<a><!-- a note", "line 1: ends inside the document"},
      {"cdata.dat", "<a><![CDATA[x", "line 1: ends inside the document"},
      {"entity.dat", "<a>\n<rom name=\"&x;\"/></a>", "line 2: undefined entity &x;"},
      {"external.dat", doctype + "<a>\n<rom name=\"&x;\" size=\"1\"/></a>",
       "line 3: undefined entity &x;"},
      {"text.dat", doctype + "<a>\n&x;</a>", "line 3: undefined entity &x;"},
      {"latin.dat",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a>\n&\xe9t\xe9;</a>",
       "line 3: undefined entity &\\xc3\\xa9t\\xc3\\xa9;"},
      {"wide.dat", Utf16("<a>\n<rom name=\"&x;\"/></a>"),
       "line 2: undefined entity &x;"},
      // An undefined entity's name as expat's input holds it, in a tag
      // whose other characters take up to four bytes of UTF-8 or a pair of
      // UTF-16 units: in UTF-8, in UTF-16 of either byte order with and
      // without a byte order mark.
      {"names.dat", "<a>\n<b c=\"\xf0\xa0\x80\x8b\" d=\"&\xc3\xa9\xe3\x82\xa2;\"/></a>",
       "line 2: undefined entity &\\xc3\\xa9\\xe3\\x82\\xa2;"},
      {"wide-big.dat", Utf16("<a>\n<b c=\"\xf0\xa0\x80\x8b\" d=\"&\xc3\xa9;\"/></a>", true),
       "line 2: undefined entity &\\xc3\\xa9;"},
      {"wide-unmarked.dat", Utf16("<a>&x;</a>", false, false),
       "line 1: undefined entity &x;"},
      {"wide-big-unmarked.dat", Utf16("<a>&y;</a>", true, false),
       "line 1: undefined entity &y;"},
      {"ascii.dat", "<?xml version=\"1.0\" encoding=\"US-ASCII\"?><a>&z;</a>",
       "line 1: undefined entity &z;"},
      {"subset.dat", "<!DOCTYPE a [<!ENTITY x \"y\">]>\n<a/>",
       "line 1: internal DTD subset refused"},
      {"roots.dat", "<a/>\n<b/>", "line 2: junk after the root element"},
      {"mismatched.dat", "<a>\n</b>", "line 2: mismatched tag"},
      {"twice.dat", "<a b='1' b='2'/>", "line 1: not well-formed"},
      {"sjis.dat", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<a/>",
       "line 1: unsupported encoding \"Shift_JIS\""},
      {"empty.dat", "", "line 1: not an XML file"},
      {"blank.dat", "  \n\n", "line 3: not an XML file"},
      {"hello.dat", "hello world", "line 1: not an XML file"},
      {"picture.dat", "\x89PNG\r\n\x1a\n", "line 1: not an XML file"},
      {"declared.dat", "<?xml version=\"1.0\"?>\n", "line 2: no root element"},
      // Taken: a 0x26 byte in a character (戦) and a reference in a start
      // tag of UTF-16; an entity in text of ISO-8859-1 and of US-ASCII.
      {"wide-ok.dat", Utf16("<a>\n<rom name=\"\xe6\x88\xa6 &amp;\"/></a>"), ""},
      {"latin-ok.dat",
       "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><a>&lt;\xe9</a>", ""},
      {"ascii-ok.dat", "<?xml version=\"1.0\" encoding=\"US-ASCII\"?><a/>", ""},
  };
  // The system's own reason for a missing file is the one difference.
  const auto both = [&](const std::vector<std::string>& args,
                        bool sameReason = true) {
    const auto result = Run(args);
    if (progrun::TestingWindowsPrograms()) {
      const auto native = progrun::Run(progrun::LinuxProgramPath("d88info"),
                                       args, dir.path());
      EXPECT_EQ(result.status, native.status);
      EXPECT_EQ(result.out, native.out);
      if (sameReason) {
        EXPECT_EQ(result.err, native.err);
      }
    }
    return result;
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    Write(test.name, test.text);
    const auto result = both({"--dat", test.name, "set.d88"});
    EXPECT_EQ(result.status, test.err.empty() ? 0 : 1);
    EXPECT_EQ(result.err,
              test.err.empty() ? "" : "d88info: " + test.name + ": " + test.err + "\n");
    EXPECT_EQ(result.out.empty(), !test.err.empty());
  }
  for (const char* unreadable : {"missing.dat", "folder.dat"}) {
    const auto result = both({"--dat", unreadable, "set.d88"},
                             std::string(unreadable) != "missing.dat");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind(
                  std::string("d88info: cannot read catalogue ") + unreadable + ": ", 0),
              0u)
        << result.err;
  }
}

// Real software lists, as published, with a UTF-8 byte order mark, in
// UTF-16LE with one, and in UTF-8 padded after the declaration by 1 to 7
// spaces (moving every later byte across the reads' block boundaries):
// each is read whole, in one run, on every system.
TEST_F(Catalogues, RealListsAreReadWholeInEveryForm) {
  const fs::path lists = fs::path(SOURCE_DIR) / ".." / "shared" / "catalogues";
  if (!fs::is_directory(lists)) {
    GTEST_SKIP() << "no real catalogues at " << lists;
  }
  d88build::WriteFile((dir / "set.d88").string(),
                      d88build::BuildImage({d88build::FormattedDisk(1)}));
  std::vector<std::string> args;
  for (const auto& entry : fs::directory_iterator(lists)) {
    if (entry.path().extension() != ".xml") continue;
    const d88build::Bytes bytes = progrun::ReadBytes(entry.path());
    const std::string text(bytes.begin(), bytes.end());
    const std::string name = entry.path().stem().string();
    const std::size_t declared = text.find("?>") + 2;
    std::vector<std::pair<std::string, std::string>> forms = {
        {name + ".xml", text},
        {name + "-bom.xml", "\xef\xbb\xbf" + text},
        {name + "-utf16.xml", Utf16(text)}};
    for (int pad = 1; pad <= 7; ++pad) {
      forms.push_back({name + "-pad" + std::to_string(pad) + ".xml",
                       text.substr(0, declared) + std::string(pad, ' ') +
                           text.substr(declared)});
    }
    for (const auto& [file, form] : forms) {
      Write(file, form);
      args.insert(args.end(), {"--dat", file});
    }
  }
  ASSERT_EQ(args.size(), 5u * 10 * 2);
  args.push_back("set.d88");
  const auto result = Run(args);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_NE(result.out.find("\ndisk 1 dat none\n"), std::string::npos);
}

// With --split, a disk with an exact entry is written under the entry's
// name where that is a plain file name on every system and no other
// piece's, ignoring case; else as BASE-NN.d88, with one line saying why.
TEST_F(Catalogues, SplitPiecesTakeTheirExactEntrysNameWhereItIsSafe) {
  const struct {
    std::string name;
    bool used;
  } cases[] = {
      {"Title (Disk 1).d88", true},  {"\xe3\x82\xb2\xe3\x83\xbc\xe3\x83\xa0.d88", true},
      {"a/b.d88", false},            {"..\\\\b.d88", false},
      {"con.txt", false},            {"LPT1", false},
      {"name.", false},              {"..", false},
      {"x&#9;y", false},             {"SET-02.D88", false},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const Bytes first = d88build::BuildDisk(d88build::FormattedDisk(1));
    d88build::DiskSpec second = d88build::FormattedDisk(1);
    second.name = "second";
    Bytes image = first;
    const Bytes secondBytes = d88build::BuildDisk(second);
    image.insert(image.end(), secondBytes.begin(), secondBytes.end());
    d88build::WriteFile((dir / "set.d88").string(), image);
    Write("c.dat", "<d><rom name=\"" + test.name + "\" " +
                       Sums(first, true, true) + "/></d>");
    std::filesystem::remove_all(dir / "pieces");
    const auto result =
        Run({"--dat", "c.dat", "--split", "pieces", "set.d88"});
    EXPECT_EQ(result.status, 0);
    const auto pieces = progrun::Listing(dir / "pieces");
    EXPECT_EQ(pieces.size(), 2u);
    EXPECT_TRUE(pieces.count("set-02.d88") == 1);
    const auto named = test.used ? pieces.find(test.name)
                                 : pieces.find("set-01.d88");
    EXPECT_TRUE(named != pieces.end() && named->second == first);
    EXPECT_EQ(result.err.empty(), test.used) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'),
              test.used ? 0 : 1);
  }
}

}  // namespace
