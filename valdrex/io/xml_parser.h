// A small streaming XML reader over expat: elements by local name, attributes, character data.
// Document type declarations are refused, so no entity can be expanded.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace valdrex::io {

// The attributes of one start tag, looked up by local name (the namespace prefix dropped).
class XmlAttributes {
 public:
  explicit XmlAttributes(const char** pairs) : pairs_(pairs) {}
  // nullptr when the attribute is absent.
  const char* find(std::string_view localName) const;
  std::string_view get(std::string_view localName) const {
    const char* v = find(localName);
    return v ? std::string_view(v) : std::string_view();
  }

 private:
  const char** pairs_;
};

// A range of bytes in the text fed to a parser, counted from its first byte.
struct XmlSpan {
  std::size_t begin = 0, end = 0;
};

class XmlParser;

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void startElement(std::string_view localName, const XmlAttributes& attributes) = 0;
  virtual void endElement(std::string_view localName) = 0;
  // Character data, possibly split over several calls.
  virtual void characters(std::string_view) {}

 protected:
  // Where the tag being reported lies, for handlers that edit the text they read: the start tag
  // in startElement, the end tag in endElement (for <a/> the empty span just after it). An
  // element thus spans [start tag begin, end tag end).
  XmlSpan tagSpan() const;

 private:
  friend class XmlParser;
  const XmlParser* parser_ = nullptr;
};

// Feeds one part through a handler. A handler may throw: parsing stops and feed() or finish()
// rethrows. Malformed XML and any DOCTYPE are a FormatProblem naming the part and the line.
class XmlParser {
 public:
  XmlParser(std::string part, XmlHandler& handler);
  ~XmlParser();
  XmlParser(const XmlParser&) = delete;
  XmlParser& operator=(const XmlParser&) = delete;

  void feed(std::string_view chunk);
  void finish();
  // The tag being reported (see XmlHandler::tagSpan).
  XmlSpan tagSpan() const;

  struct State;

 private:
  void parse(std::string_view chunk, bool last);
  std::unique_ptr<State> state_;
};

// Parses a whole part held in memory.
void parseXml(const std::string& part, std::string_view text, XmlHandler& handler);

}  // namespace valdrex::io
