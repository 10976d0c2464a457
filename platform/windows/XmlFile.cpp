// XML files through XmlLite (platform/XmlFile.h), which every Windows since
// Vista has, and wine too: loaded when needed (mingw-w64 has its header
// but no import library), through the call table. The file reaches it as
// a stream from shlwapi.

// windows.h first: the others need its definitions.
// clang-format off
#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>
#include <xmllite.h>
// clang-format on

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/SystemCalls.h"
#include "platform/XmlFile.h"
#include "platform/windows/WidePath.h"

namespace {

using CreateReader = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// IXmlReader's interface id, which mingw-w64's libraries lack.
const IID kXmlReaderId = {0x7279fc81, 0x709d, 0x4095,
                          {0xb6, 0x3d, 0x69, 0xfe, 0x4b, 0x0d, 0x90, 0x30}};

// A reader that returns the same node again and again has stopped: wine's
// does so forever on a file that ends inside whitespace or a comment.
constexpr int kMostRepeats = 64;

std::string ToUtf8(const wchar_t* text, UINT length) {
  if (length == 0) return std::string();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text,
                                        static_cast<int>(length), nullptr, 0,
                                        nullptr, nullptr);
  std::string utf8(bytes > 0 ? static_cast<std::size_t>(bytes) : 0, '\0');
  if (bytes > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &utf8[0],
                        bytes, nullptr, nullptr);
  }
  return utf8;
}

void Refuse(XmlRefusal& refusal, IXmlReader* reader, const char* words) {
  UINT line = 0;
  if (reader == nullptr || FAILED(reader->GetLineNumber(&line)) || line == 0) {
    line = 1;
  }
  refusal.line = static_cast<int>(line);
  std::snprintf(refusal.words, sizeof refusal.words, "%s", words);
}

// XmlLite gives a code and no text: words of our own for the usual ones.
void RefuseFor(XmlRefusal& refusal, IXmlReader* reader, HRESULT result) {
  char words[96];
  const unsigned long code = static_cast<unsigned long>(result);
  if (code == MX_E_INPUTEND) {
    std::snprintf(words, sizeof words, "the file ends inside the document");
  } else if (code == WC_E_UNDECLAREDENTITY) {
    std::snprintf(words, sizeof words, "undefined entity");
  } else if (code == WC_E_ROOTELEMENT) {
    std::snprintf(words, sizeof words, "junk after document element");
  } else if (result == E_NOTIMPL) {
    std::snprintf(words, sizeof words,
                  "a construct this system's XmlLite cannot read");
  } else {
    std::snprintf(words, sizeof words, "not well-formed (XmlLite 0x%08lx)",
                  code);
  }
  Refuse(refusal, reader, words);
}

bool GiveElement(IXmlReader* reader, XmlElements& elements) {
  const wchar_t* text = nullptr;
  UINT length = 0;
  if (FAILED(reader->GetLocalName(&text, &length))) return false;
  const std::string name = ToUtf8(text, length);
  std::vector<std::string> strings;
  for (HRESULT at = reader->MoveToFirstAttribute(); at == S_OK;
       at = reader->MoveToNextAttribute()) {
    if (FAILED(reader->GetLocalName(&text, &length))) return false;
    strings.push_back(ToUtf8(text, length));
    if (FAILED(reader->GetValue(&text, &length))) return false;
    strings.push_back(ToUtf8(text, length));
  }
  reader->MoveToElement();
  std::vector<XmlAttribute> attributes;
  for (std::size_t i = 0; i + 1 < strings.size(); i += 2) {
    attributes.push_back({strings[i].c_str(), strings[i + 1].c_str()});
  }
  elements.Element(name.c_str(), attributes.data(),
                   static_cast<int>(attributes.size()));
  return true;
}

// Reads every node; gives false with `refusal` filled in.
bool ReadNodes(IXmlReader* reader, XmlElements& elements,
               XmlRefusal& refusal) {
  UINT lastLine = 0;
  UINT lastPosition = 0;
  XmlNodeType lastType = XmlNodeType_None;
  int repeats = 0;
  for (;;) {
    XmlNodeType type = XmlNodeType_None;
    const HRESULT result = reader->Read(&type);
    if (result == S_FALSE) return true;  // the end of the document
    if (result != S_OK) {
      RefuseFor(refusal, reader, result);
      return false;
    }
    UINT line = 0;
    UINT position = 0;
    reader->GetLineNumber(&line);
    reader->GetLinePosition(&position);
    repeats = line == lastLine && position == lastPosition && type == lastType
                  ? repeats + 1
                  : 0;
    if (repeats > kMostRepeats) {
      Refuse(refusal, reader, "the file ends inside the document");
      return false;
    }
    lastLine = line;
    lastPosition = position;
    lastType = type;
    if (type == XmlNodeType_DocumentType) {
      // Its value is the internal subset (wine's gives a line end where
      // there is none), which is refused here as wine's XmlLite refuses it.
      const wchar_t* subset = nullptr;
      UINT length = 0;
      bool declared = false;
      if (SUCCEEDED(reader->GetValue(&subset, &length))) {
        for (UINT i = 0; i < length && !declared; ++i) {
          declared = std::wcschr(L" \t\r\n", subset[i]) == nullptr;
        }
      }
      if (declared) {
        Refuse(refusal, reader, "internal DTD subset refused");
        return false;
      }
    } else if (type == XmlNodeType_Element &&
               !GiveElement(reader, elements)) {
      Refuse(refusal, reader, "unreadable element");
      return false;
    }
  }
}

}  // namespace

bool ReadXmlFile(const char* path, XmlElements& elements,
                 XmlRefusal& refusal) {
  static wchar_t wide[kMaxWidePath];
  if (!ToWidePath(path, wide)) {
    refusal.error = LastSystemError();
    return false;
  }
  const HMODULE library = systemCalls.loadLibrary(L"xmllite.dll");
  const CreateReader create =
      library == nullptr
          ? nullptr
          : reinterpret_cast<CreateReader>(reinterpret_cast<void*>(
                systemCalls.getProcAddress(library, "CreateXmlReader")));
  if (create == nullptr) {
    refusal.error = LastSystemError();
    return false;
  }
  IStream* stream = nullptr;
  const HRESULT opened = SHCreateStreamOnFileW(
      wide, STGM_READ | STGM_SHARE_DENY_WRITE, &stream);
  if (FAILED(opened)) {
    refusal.error = SystemError{SystemError::Reason::kSystem,
                                static_cast<unsigned long>(HRESULT_CODE(opened))};
    return false;
  }
  IXmlReader* reader = nullptr;
  bool read = false;
  if (FAILED(create(kXmlReaderId, reinterpret_cast<void**>(&reader),
                    nullptr)) ||
      FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing,
                                 DtdProcessing_Parse)) ||
      FAILED(reader->SetProperty(XmlReaderProperty_XmlResolver, 0)) ||
      FAILED(reader->SetInput(stream))) {
    Refuse(refusal, nullptr, "XmlLite cannot read it");
  } else {
    read = ReadNodes(reader, elements, refusal);
  }
  if (reader != nullptr) reader->Release();
  stream->Release();
  return read;
}
