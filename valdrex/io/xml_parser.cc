#include "valdrex/io/xml_parser.h"

#include <expat.h>

#include <cstring>
#include <exception>
#include <limits>

#include "valdrex/io/format_problem.h"

namespace valdrex::io {
namespace {

// Expat reports a namespaced name as "uri<sep>local"; the reader only needs the local name,
// which also makes strict and transitional files (different namespaces) read alike.
constexpr char kSeparator = '\x01';

std::string_view localName(const char* name) {
  const char* sep = std::strrchr(name, kSeparator);
  return sep ? std::string_view(sep + 1) : std::string_view(name);
}

}  // namespace

// Called for a few attributes of every cell: the name is matched from its end, without looking
// for the separator first.
const char* XmlAttributes::find(std::string_view wanted) const {
  for (const char** p = pairs_; p && p[0]; p += 2) {
    const std::string_view name(p[0]);
    if (name.ends_with(wanted) &&
        (name.size() == wanted.size() || name[name.size() - wanted.size() - 1] == kSeparator))
      return p[1];
  }
  return nullptr;
}

struct XmlParser::State {
  XML_Parser parser = nullptr;
  XmlHandler* handler = nullptr;
  std::string part;
  std::exception_ptr failure;
  bool doctype = false;

  // Expat is C: nothing may unwind through it, so a handler's exception is kept and rethrown.
  template <class F>
  void guarded(F&& f) {
    if (failure) return;
    try {
      f();
    } catch (...) {
      failure = std::current_exception();
      XML_StopParser(parser, XML_FALSE);
    }
  }
};

namespace {

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto* s = static_cast<XmlParser::State*>(data);
  s->guarded([&] { s->handler->startElement(localName(name), XmlAttributes(attributes)); });
}

void XMLCALL onEnd(void* data, const XML_Char* name) {
  auto* s = static_cast<XmlParser::State*>(data);
  s->guarded([&] { s->handler->endElement(localName(name)); });
}

void XMLCALL onText(void* data, const XML_Char* text, int length) {
  auto* s = static_cast<XmlParser::State*>(data);
  s->guarded(
      [&] { s->handler->characters(std::string_view(text, static_cast<std::size_t>(length))); });
}

// No workbook part needs a DTD; refusing it rules out entity expansion of every kind.
void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  auto* s = static_cast<XmlParser::State*>(data);
  s->doctype = true;
  XML_StopParser(s->parser, XML_FALSE);
}

void XMLCALL onEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                      const XML_Char*, const XML_Char*, const XML_Char*) {
  auto* s = static_cast<XmlParser::State*>(data);
  s->doctype = true;
  XML_StopParser(s->parser, XML_FALSE);
}

}  // namespace

XmlParser::XmlParser(std::string part, XmlHandler& handler) : state_(std::make_unique<State>()) {
  state_->parser = XML_ParserCreateNS(nullptr, kSeparator);
  if (!state_->parser) throw std::bad_alloc();
  state_->handler = &handler;
  handler.parser_ = this;
  state_->part = std::move(part);
  XML_SetUserData(state_->parser, state_.get());
  XML_SetElementHandler(state_->parser, onStart, onEnd);
  XML_SetCharacterDataHandler(state_->parser, onText);
  XML_SetStartDoctypeDeclHandler(state_->parser, onDoctype);
  XML_SetEntityDeclHandler(state_->parser, onEntity);
  XML_SetParamEntityParsing(state_->parser, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlParser::~XmlParser() {
  state_->handler->parser_ = nullptr;
  XML_ParserFree(state_->parser);
}

XmlSpan XmlParser::tagSpan() const {
  XML_Index at = XML_GetCurrentByteIndex(state_->parser);
  if (at < 0) return {};
  auto begin = static_cast<std::size_t>(at);
  return {begin, begin + static_cast<std::size_t>(XML_GetCurrentByteCount(state_->parser))};
}

XmlSpan XmlHandler::tagSpan() const { return parser_ ? parser_->tagSpan() : XmlSpan{}; }

void XmlParser::feed(std::string_view chunk) { parse(chunk, false); }

void XmlParser::finish() { parse({}, true); }

void XmlParser::parse(std::string_view chunk, bool last) {
  State& s = *state_;
  // Expat takes an int length; parts are bounded far below that, but split anyway.
  constexpr std::size_t kMax = std::numeric_limits<int>::max() / 2;
  do {
    std::size_t n = chunk.size() < kMax ? chunk.size() : kMax;
    bool final = last && n == chunk.size();
    XML_Status status = XML_Parse(s.parser, chunk.data(), static_cast<int>(n), final);
    chunk.remove_prefix(n);
    if (s.failure) std::rethrow_exception(s.failure);
    if (s.doctype) throw FormatProblem("部件 " + s.part + " 含有 DTD 声明（出于安全原因拒绝读取）");
    if (status != XML_STATUS_OK) {
      throw FormatProblem("部件 " + s.part + " 的 XML 格式错误（第 " +
                          std::to_string(XML_GetCurrentLineNumber(s.parser)) + " 行：" +
                          XML_ErrorString(XML_GetErrorCode(s.parser)) + "）");
    }
  } while (!chunk.empty());
}

void parseXml(const std::string& part, std::string_view text, XmlHandler& handler) {
  XmlParser parser(part, handler);
  parser.feed(text);
  parser.finish();
}

}  // namespace valdrex::io
