// Fuzzes the catalogues' XML reader: the input is the file. Whatever it
// holds, the reader ends, gives only NUL-terminated names and values, and
// either takes the file or refuses it with a line and words.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/XmlFile.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "catalogue fuzzer: %s\n", what);
    std::abort();
  }
}

class Counter : public XmlElements {
 public:
  void Element(const char* name, const XmlAttribute* attributes,
               int count) override {
    Check(name != nullptr && count >= 0, "an element without a name");
    for (int i = 0; i < count; ++i) {
      Check(attributes[i].name != nullptr && attributes[i].value != nullptr,
            "an attribute without a name or value");
      length += std::strlen(attributes[i].name) + std::strlen(attributes[i].value);
    }
    ++elements;
  }
  long elements = 0;
  std::size_t length = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data,
                                      std::size_t size) {
  static const std::string path =
      "/tmp/d88rip-catalogue-fuzz-" + std::to_string(getpid()) + ".xml";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  Check(file != nullptr, "cannot write the input");
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  Counter counter;
  XmlRefusal refusal;
  if (!ReadXmlFile(path.c_str(), counter, refusal)) {
    Check(refusal.line >= 1, "a refusal without a line");
    Check(std::memchr(refusal.words, '\0', sizeof refusal.words) != nullptr,
          "words without an end");
  }
  return 0;
}
