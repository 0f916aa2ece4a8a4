// Properties of an XMP packet, found by their schema's namespace whatever prefix the writer bound it
// to: Illustrator 9 and 10 and Photoshop 6 and 7 wrote the basic schema as "xap:" and its thumbnails
// as "xapGImg:", later versions as "xmp:" and "xmpGImg:", and both name the same properties. The packet
// is read as text, not parsed as XML: a property is its qualified name standing as an element's start
// or as an attribute, its value the element's text up to the next tag or the attribute's quoted text.
// The facts and the thumbnails of EPS and PDF-based files all read their values through this.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace aldra {

// A property: its schema's namespace, its name within it, and the prefix a packet that declares no
// prefix for the namespace is taken to use.
struct XmpName {
    std::string_view space;
    std::string_view local;
    std::string_view usualPrefix;
};

namespace xmp {
inline constexpr std::string_view kRdf = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
inline constexpr std::string_view kBasic = "http://ns.adobe.com/xap/1.0/";
inline constexpr std::string_view kDublinCore = "http://purl.org/dc/elements/1.1/";
inline constexpr std::string_view kPagedText = "http://ns.adobe.com/xap/1.0/t/pg/";
inline constexpr std::string_view kFont = "http://ns.adobe.com/xap/1.0/sType/Font#";
inline constexpr std::string_view kGraphics = "http://ns.adobe.com/xap/1.0/g/";
inline constexpr std::string_view kImage = "http://ns.adobe.com/xap/1.0/g/img/";
inline constexpr XmpName kListItem{kRdf, "li", "rdf"};
}  // namespace xmp

// Where one value lies in the text searched: it begins at `begin` and ends before the first
// `closing` byte from there ('<' behind element content, the quote of an attribute).
struct XmpValueStart {
    size_t begin = 0;
    char closing = '<';
};

// Values are cut at this length, lists at this many entries, and a packet's prefix declarations
// beyond this many are not read.
inline constexpr size_t kMostXmpValueBytes = 1024;
inline constexpr size_t kMostXmpListEntries = 4096;
inline constexpr size_t kMostXmpDeclarations = 1024;

class XmpProperties {
  public:
    // Reads the packet's prefix declarations; the packet must outlive the reader.
    explicit XmpProperties(std::string_view packet);

    std::string_view Packet() const { return packet_; }
    // The text of the first element of that name within `span`, between its start tag's name and
    // its end tag; empty when there is none or it never ends.
    std::string_view Element(std::string_view span, const XmpName& name) const;
    // Where the property's values begin within `span` (positions in `span`), in the order they
    // stand, at most `most` of them.
    std::vector<XmpValueStart> ValueStarts(std::string_view span, const XmpName& name, size_t most) const;
    // The non-empty values within `span`, UTF-8 with references resolved and surrounding blanks gone.
    std::vector<std::string> Values(std::string_view span, const XmpName& name) const;
    std::string FirstValue(std::string_view span, const XmpName& name) const;

  private:
    // The qualified names the property goes by in this packet.
    std::vector<std::string> QualifiedNames(const XmpName& name) const;

    std::string_view packet_;
    std::vector<std::pair<std::string_view, std::string_view>> declarations_;  // prefix, namespace
};

}  // namespace aldra
