// Fuzzes the catalogues' XML reader: the input is the file. Whatever it
// holds, the reader ends, gives only NUL-terminated names and values and
// each element's end after its start, and either takes the file or refuses
// it with a line and words.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "d88info/XmlFile.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "catalogue fuzzer: %s\n", what);
    std::abort();
  }
}

class Counter : public XmlElements {
 public:
  void Start(const char* name, const XmlAttribute* attributes,
             int count) override {
    Check(name != nullptr && count >= 0, "an element without a name");
    for (int i = 0; i < count; ++i) {
      Check(attributes[i].name != nullptr && attributes[i].value != nullptr,
            "an attribute without a name or value");
      length += std::strlen(attributes[i].name) + std::strlen(attributes[i].value);
    }
    ++elements;
  }
  void Text(const char* text, int size) override {
    Check(text != nullptr && size >= 0, "text without bytes");
    length += static_cast<std::size_t>(size);
  }
  void End(const char* name) override {
    Check(name != nullptr && --elements >= 0, "an end without a start");
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
    Check(refusal.line >= 1 || refusal.error.reason != SystemError::Reason::kNone,
          "a refusal without a line or a reason");
    Check(refusal.line == 0 || !refusal.words.empty(), "a refusal without words");
  }
  return 0;
}
