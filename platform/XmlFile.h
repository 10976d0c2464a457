#pragma once

#include "platform/SystemError.h"

// An XML file read by the system's own reader: expat on POSIX systems,
// XmlLite on Windows. Only d88info links this. The caller is given each
// element's start, with its attributes, in document order; text, comments,
// CDATA sections and processing instructions are passed over. A DOCTYPE
// naming an external DTD is accepted and that DTD never fetched; an
// internal DTD subset, any entity but the five predefined ones and
// character references, and anything that is not well-formed are refused.

struct XmlAttribute {
  const char* name;   // UTF-8
  const char* value;  // UTF-8, entities and character references replaced
};

class XmlElements {
 public:
  virtual void Element(const char* name, const XmlAttribute* attributes,
                       int count) = 0;

 protected:
  ~XmlElements() = default;
};

// Why a file was refused: `line` 0 when it could not be opened or read
// (`error` says why), else the line the reader stopped at and its words.
struct XmlRefusal {
  SystemError error;
  int line = 0;
  char words[256] = {};
};

// Reads the XML file at `path`. Gives false, with `refusal` filled in,
// when it cannot be read or is refused; every element before that point
// has been given to `elements`.
bool ReadXmlFile(const char* path, XmlElements& elements, XmlRefusal& refusal);
