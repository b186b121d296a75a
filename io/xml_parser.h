// A small streaming XML reader over expat: elements by local name, attributes, character data.
// Document type declarations are refused, so no entity can be expanded.
#pragma once

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

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void startElement(std::string_view localName, const XmlAttributes& attributes) = 0;
  virtual void endElement(std::string_view localName) = 0;
  // Character data, possibly split over several calls.
  virtual void characters(std::string_view) {}
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

  // During a start or end callback: where the tag that caused it lies in the bytes fed so far.
  // An empty element's end callback has length 0 (its one tag was the start).
  struct Span {
    std::size_t offset = 0, length = 0;
  };
  Span currentTag() const;

  struct State;

 private:
  void parse(std::string_view chunk, bool last);
  std::unique_ptr<State> state_;
};

// Parses a whole part held in memory.
void parseXml(const std::string& part, std::string_view text, XmlHandler& handler);

}  // namespace valdrex::io
