// XML files through expat (platform/XmlFile.h). The file is read through
// the platform's InputFile, in blocks.

#include <expat.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/InputFile.h"
#include "platform/XmlFile.h"

namespace {

constexpr int kBlockSize = 65536;

struct Reading {
  XML_Parser parser;
  XmlElements* elements;
  XmlRefusal* refusal;
  bool refused = false;
  std::vector<XmlAttribute> attributes;
};

void Refuse(Reading& reading, const char* words) {
  if (reading.refused) return;
  reading.refused = true;
  reading.refusal->line =
      static_cast<int>(XML_GetCurrentLineNumber(reading.parser));
  std::snprintf(reading.refusal->words, sizeof reading.refusal->words, "%s",
                words);
  XML_StopParser(reading.parser, XML_FALSE);
}

bool IsPredefined(const char* name, std::size_t length) {
  for (const char* entity : {"amp", "lt", "gt", "quot", "apos"}) {
    if (std::strlen(entity) == length &&
        std::strncmp(entity, name, length) == 0) {
      return true;
    }
  }
  return name[0] == '#';
}

// Under a DOCTYPE that names an external DTD, expat leaves out an entity
// it has no declaration of when it stands in an attribute value, without a
// word. A start tag's own bytes show every entity reference in it (nothing
// else in a tag holds an '&'): each must be predefined or a character
// reference.
bool TagEntitiesKnown(XML_Parser parser) {
  int offset = 0;
  int size = 0;
  const char* buffer = XML_GetInputContext(parser, &offset, &size);
  const int count = XML_GetCurrentByteCount(parser);
  if (buffer == nullptr || offset < 0 || count <= 0 || offset + count > size) {
    return true;
  }
  const char* tag = buffer + offset;
  const char* end = tag + count;
  for (const char* at = tag; at < end; ++at) {
    if (*at != '&') continue;
    const char* name = at + 1;
    const char* semicolon =
        static_cast<const char*>(std::memchr(name, ';', end - name));
    if (semicolon == nullptr ||
        !IsPredefined(name, static_cast<std::size_t>(semicolon - name))) {
      return false;
    }
  }
  return true;
}

void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  Reading& reading = *static_cast<Reading*>(data);
  if (reading.refused) return;
  if (!TagEntitiesKnown(reading.parser)) {
    Refuse(reading, "undefined entity");
    return;
  }
  reading.attributes.clear();
  for (int i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr;
       i += 2) {
    reading.attributes.push_back({attributes[i], attributes[i + 1]});
  }
  reading.elements->Element(name, reading.attributes.data(),
                            static_cast<int>(reading.attributes.size()));
}

void OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
               int hasInternalSubset) {
  if (hasInternalSubset != 0) {
    Refuse(*static_cast<Reading*>(data), "internal DTD subset refused");
  }
}

// An entity that expat skips: one with no declaration, in text.
void OnSkippedEntity(void* data, const XML_Char*, int) {
  Refuse(*static_cast<Reading*>(data), "undefined entity");
}

}  // namespace

bool ReadXmlFile(const char* path, XmlElements& elements,
                 XmlRefusal& refusal) {
  InputFile file;
  if (!file.Open(path)) {
    refusal.error = file.Error();
    return false;
  }
  XML_Parser parser = XML_ParserCreate(nullptr);
  if (parser == nullptr) {
    std::snprintf(refusal.words, sizeof refusal.words, "out of memory");
    refusal.line = 1;
    return false;
  }
  Reading reading{parser, &elements, &refusal, false, {}};
  XML_SetUserData(parser, &reading);
  XML_SetStartElementHandler(parser, OnStart);
  XML_SetStartDoctypeDeclHandler(parser, OnDoctype);
  XML_SetSkippedEntityHandler(parser, OnSkippedEntity);
  // No external DTD or entity is ever read.
  XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
  static unsigned char block[kBlockSize];
  bool whole = true;
  for (long long position = 0;; ) {
    const int got = file.ReadAt(position, block, kBlockSize);
    if (file.Failed()) {
      refusal.error = file.Error();
      whole = false;
      break;
    }
    const bool last = got < kBlockSize;
    if (XML_Parse(parser, reinterpret_cast<const char*>(block), got,
                  last ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
      if (!reading.refused) {
        refusal.line = static_cast<int>(XML_GetCurrentLineNumber(parser));
        std::snprintf(refusal.words, sizeof refusal.words, "%s",
                      XML_ErrorString(XML_GetErrorCode(parser)));
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
