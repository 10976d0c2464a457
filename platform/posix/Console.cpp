// The POSIX systems' console primitives (platform/Primitives.h): the
// program's Shift-JIS text goes to a terminal converted to UTF-8 when the
// locale's character set is UTF-8, through iconv.

#include <iconv.h>
#include <langinfo.h>
#include <strings.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/Primitives.h"
#include "platform/SystemCalls.h"

namespace {

// iconv's converter from CP932, opened when first needed; (iconv_t)-1
// where iconv has none.
iconv_t FromCp932() {
  static const iconv_t converter = iconv_open("UTF-8", "CP932");
  return converter;
}

// Whether a locale's name gives UTF-8 as its character set: the part after
// its dot and before any '@' is UTF-8 or utf8, in any case.
bool NamesUtf8(const char* locale) {
  const char* codeset = std::strchr(locale, '.');
  if (codeset == nullptr) return false;
  ++codeset;
  const char* end = std::strchr(codeset, '@');
  const std::size_t length =
      end != nullptr ? static_cast<std::size_t>(end - codeset)
                     : std::strlen(codeset);
  return (length == 5 && strncasecmp(codeset, "utf-8", 5) == 0) ||
         (length == 4 && strncasecmp(codeset, "utf8", 4) == 0);
}

// The locale's character set, or, where the locale named in the
// environment is not installed (a container, a fresh WSL), the character
// set that name gives: the terminal shows what the user set it to show.
bool LocaleIsUtf8() {
  bool utf8 = false;
  if (std::setlocale(LC_CTYPE, "") != nullptr) {
    utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  } else {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
      const char* value = std::getenv(variable);
      if (value == nullptr || *value == '\0') continue;
      utf8 = NamesUtf8(value);
      break;
    }
  }
  // Nothing else in the programs depends on the locale; keep it that way.
  std::setlocale(LC_CTYPE, "C");
  return utf8;
}

}  // namespace

void DetectTerminals(bool terminal[2]) {
  if (!LocaleIsUtf8()) return;
  terminal[0] = isatty(fileno(stdout)) != 0;
  terminal[1] = isatty(fileno(stderr)) != 0;
  if (!terminal[0] && !terminal[1]) return;
  if (FromCp932() == reinterpret_cast<iconv_t>(-1)) {
    terminal[0] = terminal[1] = false;
  }
}

int ConvertCp932(const char* text, int length, char* utf8, int size) {
  const iconv_t converter = FromCp932();
  if (converter == reinterpret_cast<iconv_t>(-1)) return -1;
  char* in = const_cast<char*>(text);
  std::size_t inLeft = static_cast<std::size_t>(length);
  char* out = utf8;
  std::size_t outLeft = static_cast<std::size_t>(size);
  const std::size_t failed = static_cast<std::size_t>(-1);
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  if (iconv(converter, &in, &inLeft, &out, &outLeft) == failed ||
      iconv(converter, nullptr, nullptr, &out, &outLeft) == failed) {
    return -1;
  }
  return size - static_cast<int>(outLeft);
}

bool ConvertsForTerminal(const char* text, int length) {
  // Every CP932 character takes at most 3 bytes in UTF-8.
  char converted[3 * kMaxConsoleMessage];
  return length <= kMaxConsoleMessage &&
         ConvertCp932(text, length, converted, sizeof converted) >= 0;
}

// A UTF-8 terminal shows command-line text and data as they are; the
// programs' own text is converted whole or not at all.
bool WriteToTerminal(ConsoleStream stream, const char* text, int length,
                     TextOrigin origin) {
  if (origin != TextOrigin::kProgram) return false;
  char converted[3 * kMaxConsoleMessage];
  const int bytes = ConvertCp932(text, length, converted, sizeof converted);
  if (bytes < 0) return false;
  if (stream == ConsoleStream::kErr) FlushConsoleOutput();
  WriteConsoleBytes(stream, converted, bytes);
  return true;
}

// Everything goes to a file or pipe as it is.
void WriteToFile(ConsoleStream stream, const char* text, int length,
                 TextOrigin) {
  WriteConsoleBytes(stream, text, length);
}

// Some file systems (NFS) report a failed write only when the file is
// closed. Closing a copy of the descriptor shows it and keeps standard
// output open for the lines that may follow.
bool CheckOutputOnClose() {
  const int copy = systemCalls.dup(fileno(stdout));
  return copy < 0 || systemCalls.close(copy) == 0;
}
