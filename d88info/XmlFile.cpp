#include "d88info/XmlFile.h"

#include <expat.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/InputFile.h"

// One reader for every system, so that a catalogue gets the same answer,
// line and words, wherever it is read. Expat is given the file in blocks
// straight into its own buffer.

namespace {

constexpr int kBlockSize = 65536;

// How the raw input encodes characters, for the name in expat's own
// "undefined entity" error, which only the input holds.
enum class RawForm { kUtf8, kLatin1, kUtf16Le, kUtf16Be };

struct Reading {
  XML_Parser parser = nullptr;
  XmlElements* elements = nullptr;
  XmlRefusal* refusal = nullptr;
  bool refused = false;
  bool markup = false;  // anything but white space before the root
  int depth = 0;
  bool rootStarted = false;
  std::string declaredEncoding;
  unsigned char first[2] = {};  // the file's first bytes
  int firstSize = 0;
  // A start tag's text as expat gives it (UTF-8), while it is taken.
  bool takingTag = false;
  std::string tag;
  std::vector<XmlAttribute> attributes;
};

void Refuse(Reading& reading, const std::string& words) {
  if (reading.refused) return;
  reading.refused = true;
  reading.refusal->line =
      static_cast<int>(XML_GetCurrentLineNumber(reading.parser));
  reading.refusal->words = words;
  XML_StopParser(reading.parser, XML_FALSE);
}

// "undefined entity &NAME;", the name in ASCII: a byte of UTF-8 beyond it
// as \xNN, so that the words are the same bytes on every system.
std::string UndefinedEntity(const std::string& name) {
  std::string words = "undefined entity &";
  char escaped[5];
  for (const char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
      words += c;
    } else {
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      words += escaped;
    }
  }
  return words + ";";
}

bool IsPredefined(const std::string& name) {
  for (const char* entity : {"amp", "lt", "gt", "quot", "apos"}) {
    if (name == entity) return true;
  }
  return !name.empty() && name[0] == '#';
}

void AppendUtf8(std::string& text, unsigned long code) {
  if (code < 0x80) {
    text += static_cast<char>(code);
    return;
  }
  // A lead byte of 110, 1110 or 11110 and the bits that follow, then a
  // continuation byte for each 6 bits more.
  const int more = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
  text += static_cast<char>(((0xff00 >> (more + 1)) & 0xff) | code >> (6 * more));
  for (int shift = 6 * (more - 1); shift >= 0; shift -= 6) {
    text += static_cast<char>(0x80 | (code >> shift & 0x3f));
  }
}

// Finds, in text given a character at a time, the first reference that is
// neither predefined nor a character reference, up to the end of the tag.
class ReferenceFinder {
 public:
  // Takes one more character; gives true once the search is over.
  bool Take(unsigned long code) {
    if (inName) {
      if (code == ';') {
        inName = false;
        if (!IsPredefined(name)) return found = true;
        name.clear();
      } else {
        AppendUtf8(name, code);
      }
      return false;
    }
    if (code == '&') inName = true;
    return code == '>';
  }
  bool Found() const { return found; }
  const std::string& Name() const { return name; }

 private:
  bool inName = false;
  bool found = false;
  std::string name;
};

// Decodes raw input from `at` to `end` in `form`, a character at a time,
// into `finder`, until it is done.
void FindInRaw(const unsigned char* at, const unsigned char* end,
               RawForm form, ReferenceFinder& finder) {
  while (at < end) {
    unsigned long code = 0;
    if (form == RawForm::kUtf16Le || form == RawForm::kUtf16Be) {
      if (end - at < 2) return;
      code = form == RawForm::kUtf16Le ? at[0] | at[1] << 8
                                       : at[0] << 8 | at[1];
      at += 2;
      if (code >= 0xd800 && code < 0xdc00 && end - at >= 2) {
        const unsigned long low = form == RawForm::kUtf16Le
                                      ? at[0] | at[1] << 8
                                      : at[0] << 8 | at[1];
        code = 0x10000 + ((code - 0xd800) << 10) + (low - 0xdc00);
        at += 2;
      }
    } else if (form == RawForm::kLatin1 || *at < 0x80) {
      code = *at++;
    } else {
      // UTF-8: a lead byte and its continuation bytes.
      int more = *at >= 0xf0 ? 3 : *at >= 0xe0 ? 2 : 1;
      code = *at++ & (0x3f >> more);
      for (; more > 0 && at < end; --more) code = code << 6 | (*at++ & 0x3f);
    }
    if (finder.Take(code)) return;
  }
}

// How the raw input is encoded, from its first bytes and the encoding its
// declaration names.
RawForm FormOf(const unsigned char* first, int size,
               const std::string& declared) {
  if (size >= 2 && first[0] == 0xff && first[1] == 0xfe) return RawForm::kUtf16Le;
  if (size >= 2 && first[0] == 0xfe && first[1] == 0xff) return RawForm::kUtf16Be;
  if (size >= 2 && first[0] == '<' && first[1] == 0) return RawForm::kUtf16Le;
  if (size >= 2 && first[0] == 0 && first[1] == '<') return RawForm::kUtf16Be;
  std::string name = declared;
  for (char& c : name) c = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
  return name == "ISO-8859-1" || name == "US-ASCII" ? RawForm::kLatin1
                                                    : RawForm::kUtf8;
}

// The entity that expat found undefined, read from its input where the
// error stands: the reference itself in text, the start tag holding it in
// an attribute value.
std::string UndefinedEntityName(const Reading& reading) {
  int offset = 0;
  int size = 0;
  const char* buffer = XML_GetInputContext(reading.parser, &offset, &size);
  ReferenceFinder finder;
  if (buffer != nullptr && offset >= 0 && offset < size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
    FindInRaw(bytes + offset, bytes + size,
              FormOf(reading.first, reading.firstSize, reading.declaredEncoding),
              finder);
  }
  return finder.Found() ? finder.Name() : std::string();
}

// This program's words for what expat stopped at.
std::string WordsFor(const Reading& reading, XML_Error error) {
  switch (error) {
    case XML_ERROR_NO_MEMORY: return "out of memory";
    case XML_ERROR_UNKNOWN_ENCODING:
      return "unsupported encoding \"" + reading.declaredEncoding + "\"";
    case XML_ERROR_UNDEFINED_ENTITY:
      return UndefinedEntity(UndefinedEntityName(reading));
    case XML_ERROR_JUNK_AFTER_DOC_ELEMENT: return "junk after the root element";
    case XML_ERROR_TAG_MISMATCH: return "mismatched tag";
    default: break;
  }
  const bool ended = error == XML_ERROR_NO_ELEMENTS ||
                     error == XML_ERROR_UNCLOSED_TOKEN ||
                     error == XML_ERROR_PARTIAL_CHAR ||
                     error == XML_ERROR_UNCLOSED_CDATA_SECTION;
  if (!reading.rootStarted) {
    if (error == XML_ERROR_NO_ELEMENTS && reading.markup) return "no root element";
    if (ended || error == XML_ERROR_SYNTAX || error == XML_ERROR_INVALID_TOKEN) {
      return "not an XML file";
    }
  } else if (reading.depth > 0 && ended) {
    return "ends inside the document";
  }
  return "not well-formed";
}

void OnDefault(void* data, const XML_Char* text, int length) {
  Reading& reading = *static_cast<Reading*>(data);
  if (reading.takingTag) {
    reading.tag.append(text, static_cast<std::size_t>(length));
    return;
  }
  for (int i = 0; i < length && !reading.markup; ++i) {
    reading.markup = std::strchr(" \t\r\n", text[i]) == nullptr;
  }
}

// Under a DOCTYPE that names an external DTD, expat leaves out an entity
// it has no declaration of when it stands in an attribute value, without a
// word. The start tag's own text, which expat gives the default handler
// converted to UTF-8, shows every reference in it.
void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  Reading& reading = *static_cast<Reading*>(data);
  if (reading.refused) return;
  reading.rootStarted = true;
  ++reading.depth;
  reading.tag.clear();
  reading.takingTag = true;
  XML_DefaultCurrent(reading.parser);
  reading.takingTag = false;
  ReferenceFinder finder;
  const auto* tag = reinterpret_cast<const unsigned char*>(reading.tag.data());
  FindInRaw(tag, tag + reading.tag.size(), RawForm::kUtf8, finder);
  if (finder.Found()) {
    Refuse(reading, UndefinedEntity(finder.Name()));
    return;
  }
  reading.attributes.clear();
  for (int i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr;
       i += 2) {
    reading.attributes.push_back({attributes[i], attributes[i + 1]});
  }
  reading.elements->Start(name, reading.attributes.data(),
                          static_cast<int>(reading.attributes.size()));
}

void OnEnd(void* data, const XML_Char* name) {
  Reading& reading = *static_cast<Reading*>(data);
  if (reading.refused) return;
  --reading.depth;
  reading.elements->End(name);
}

void OnText(void* data, const XML_Char* text, int length) {
  Reading& reading = *static_cast<Reading*>(data);
  if (!reading.refused) reading.elements->Text(text, length);
}

void OnDeclaration(void* data, const XML_Char*, const XML_Char* encoding,
                   int) {
  Reading& reading = *static_cast<Reading*>(data);
  reading.markup = true;
  if (encoding != nullptr) reading.declaredEncoding = encoding;
}

void OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
               int hasInternalSubset) {
  Reading& reading = *static_cast<Reading*>(data);
  reading.markup = true;
  if (hasInternalSubset != 0) Refuse(reading, "internal DTD subset refused");
}

// An entity that expat skips: one with no declaration, in text, under a
// DOCTYPE that names an external DTD.
void OnSkippedEntity(void* data, const XML_Char* name, int) {
  Refuse(*static_cast<Reading*>(data), UndefinedEntity(name));
}

}  // namespace

bool ReadXmlFile(const char* path, XmlElements& elements,
                 XmlRefusal& refusal) {
  InputFile file;
  if (!file.Open(path)) {
    refusal.error = file.Error();
    return false;
  }
  // The encoding from the byte order mark or the declaration.
  XML_Parser parser = XML_ParserCreate(nullptr);
  if (parser == nullptr) {
    refusal.words = "out of memory";
    refusal.line = 1;
    return false;
  }
  Reading reading;
  reading.parser = parser;
  reading.elements = &elements;
  reading.refusal = &refusal;
  XML_SetUserData(parser, &reading);
  XML_SetElementHandler(parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser, OnText);
  XML_SetXmlDeclHandler(parser, OnDeclaration);
  XML_SetStartDoctypeDeclHandler(parser, OnDoctype);
  XML_SetSkippedEntityHandler(parser, OnSkippedEntity);
  XML_SetDefaultHandlerExpand(parser, OnDefault);
  // No external DTD or entity is ever read.
  XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
  bool whole = true;
  for (long long position = 0;;) {
    void* block = XML_GetBuffer(parser, kBlockSize);
    if (block == nullptr) {
      refusal.line = static_cast<int>(XML_GetCurrentLineNumber(parser));
      refusal.words = "out of memory";
      whole = false;
      break;
    }
    const int got =
        file.ReadAt(position, static_cast<unsigned char*>(block), kBlockSize);
    if (file.Failed()) {
      refusal.error = file.Error();
      whole = false;
      break;
    }
    if (position == 0) {
      reading.firstSize = got < 2 ? got : 2;
      std::memcpy(reading.first, block, static_cast<std::size_t>(reading.firstSize));
    }
    const bool last = got < kBlockSize;
    if (XML_ParseBuffer(parser, got, last ? XML_TRUE : XML_FALSE) !=
        XML_STATUS_OK) {
      if (!reading.refused) {
        refusal.line = static_cast<int>(XML_GetCurrentLineNumber(parser));
        refusal.words = WordsFor(reading, XML_GetErrorCode(parser));
      }
      whole = false;
      break;
    }
    if (last) break;
    position += got;
  }
  XML_ParserFree(parser);
  return whole && !reading.refused;
}
