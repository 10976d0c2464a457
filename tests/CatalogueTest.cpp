// d88info --dat: disks named from catalogues of known dumps that the tests
// make from the images they build, with CRC32 and SHA-1 computed here by
// zlib's and the crypto library's own calls.

#include <gtest/gtest.h>

#include <openssl/evp.h>
#include <zlib.h>

#include "ProgramRun.h"
#include "builder/D88Builder.h"

namespace {

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
// entry gives a size and a CRC32, a SHA-1 or both; one with md5 alone or a
// CRC32 that is no hex, a joined image in a comment, and a CRC32 candidate
// whose SHA-1 differs are passed over.
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
        "<rom name=\"Exact &amp; &quot;one&quot;\" " +
        Sums(original, true, true, true) + "/>\n"
        "<rom name=\"protected\" " + Sums(protectedCopy, true, true) + "/>\n"
        "<rom name=\"nameless \xe3\x82\xb2\" " + Sums(nameless, true, false) +
        "/>\n"
        "<rom name=\"forged\" " + Sums(protectedCopy, true, true, false, &forged) +
        "/>\n"
        "<rom name=\"both\" " + Sums(both, true, true) + "/>\n"
        "<rom name=\"by sha1\" " + Sums(original, false, true) + "/>\n"
        "</game></datafile>\n");
  Write("b.xml",
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE softwarelist SYSTEM \"softwarelist.dtd\">\n"
        "<softwarelist name=\"x\"><software name=\"y\">\n"
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
  const std::string y = " game \"y\"\n";
  EXPECT_EQ(lines,
            "disk 1 dat exact \"Exact & \\\"one\\\"\"" + a +
            "disk 1 dat header write-protect \"protected\"" + a +
            "disk 1 dat header name \"nameless \\xe3\\x82\\xb2\"" + a +
            "disk 1 dat header write-protect,name \"both\"" + a +
            "disk 1 dat exact \"by sha1\"" + a +
            "disk 1 dat exact \"reserved.d88\"" + y +
            "disk 2 dat none\n"
            "disk 3 dat header reserved \"Exact & \\\"one\\\"\"" + a +
            "disk 3 dat header write-protect,reserved \"protected\"" + a +
            "disk 3 dat header name,reserved \"nameless \\xe3\\x82\\xb2\"" + a +
            "disk 3 dat header write-protect,name,reserved \"both\"" + a +
            "disk 3 dat header reserved \"reserved.d88\"" + y);
}

// A catalogue that cannot be read, is not well-formed, has an internal DTD
// subset or an entity other than the predefined ones (also under an
// external DOCTYPE, where the reader itself would drop it) is named in one
// line with the reader's line and words: exit 1, nothing listed, no hang.
TEST_F(Catalogues, RefusedCataloguesAreNamedInOneLine) {
  d88build::WriteFile((dir / "set.d88").string(),
                      d88build::BuildImage({d88build::FormattedDisk(1)}));
  const std::string doctype = "<!DOCTYPE a SYSTEM \"a.dtd\">\n";
  const struct {
    std::string name;
    std::string text;
  } cases[] = {
      {"cut.dat", "<a><rom name=\"x\" si"},
      {"space.dat", "<a>\n  "},
      {"comment.dat", "<a><!-- a note"},
      {"entity.dat", "<a>\n<rom name=\"&x;\"/></a>"},
      {"external.dat", doctype + "<a>\n<rom name=\"&x;\" size=\"1\"/></a>"},
      {"text.dat", doctype + "<a>\n&x;</a>"},
      {"subset.dat", "<!DOCTYPE a [<!ENTITY x \"y\">]>\n<a/>"},
      {"roots.dat", "<a/>\n<b/>"},
  };
  for (const auto& test : cases) {
    // Wine's XmlLite leaves an entity it cannot resolve in text as the text
    // "&x;", which no reader of its nodes can tell from "&amp;x;", as it
    // reads &#9; in an attribute as a space.
    if (progrun::TestingWindowsPrograms() && test.name == "text.dat") continue;
    Write(test.name, test.text);
    const auto result = Run({"--dat", test.name, "set.d88"});
    EXPECT_EQ(result.status, 1) << test.name;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("d88info: " + test.name + ": line ", 0), 0u)
        << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
  }
  const auto missing = Run({"--dat", "missing.dat", "set.d88"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err.rfind("d88info: cannot read catalogue missing.dat: ", 0),
            0u)
      << missing.err;
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
    // Wine's XmlLite reads &#9; in an attribute as a space.
    if (progrun::TestingWindowsPrograms() && test.name == "x&#9;y") continue;
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
