#pragma once

#include <string>

#include "platform/SystemError.h"

// An XML file read by expat, the same parser on every system: the system's
// own libexpat on Linux and macOS, and on Windows expat built from the
// same source. The file is opened and read through the platform's
// InputFile. The caller is given each element's start, with its
// attributes, its text and its end, in document order; comments, CDATA
// markers and processing instructions are passed over. The encoding comes
// from a byte order mark or the XML declaration: UTF-8, UTF-16 (either
// byte order), ISO-8859-1 or US-ASCII; any other is refused. A DOCTYPE
// naming an external DTD is accepted and that DTD never fetched; an
// internal DTD subset, any entity but the five predefined ones and
// character references, and anything that is not well-formed are refused.

struct XmlAttribute {
  const char* name;   // UTF-8
  const char* value;  // UTF-8, entities and character references replaced
};

class XmlElements {
 public:
  virtual void Start(const char* name, const XmlAttribute* attributes,
                     int count) = 0;
  // Text between tags, UTF-8, in pieces as the parser gives it.
  virtual void Text(const char* text, int length) = 0;
  virtual void End(const char* name) = 0;

 protected:
  ~XmlElements() = default;
};

// Why a file was refused: `line` 0 when it could not be opened or read
// (`error` says why), else the line the parser stopped at and, in words of
// this program's own that do not depend on the system, why:
//   not an XML file           a syntax or token error before any start
//                             tag, or an empty or blank file
//   no root element           markup but no element
//   ends inside the document  the file ends with the root element open
//   internal DTD subset refused
//   undefined entity &NAME;   NAME's bytes beyond ASCII as \xNN
//   unsupported encoding "NAME"
//   junk after the root element
//   mismatched tag
//   out of memory
//   not well-formed           anything else
struct XmlRefusal {
  SystemError error;
  int line = 0;
  std::string words;  // UTF-8
};

// Reads the XML file at `path`. Gives false, with `refusal` filled in,
// when it cannot be read or is refused; everything before that point has
// been given to `elements`.
bool ReadXmlFile(const char* path, XmlElements& elements, XmlRefusal& refusal);
