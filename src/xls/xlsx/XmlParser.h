// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// XML parts of an .xlsx package, parsed with expat as they are inflated. Namespace prefixes
// are resolved here (cheaper than expat's namespace mode, which builds every name anew); a
// document type declaration (and with it every entity declaration, internal or external) is
// refused, so nothing the document declares is ever expanded.

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

struct XML_ParserStruct;

namespace wb::xls {

// The namespaces the reader tells apart: SpreadsheetML and the relationship namespaces,
// each in its transitional and its strict form.
enum class Namespace { None, Spreadsheet, OfficeRelationships, PackageRelationships, Other };

struct XmlName {
    Namespace ns = Namespace::None;
    std::string_view local;

    bool is(Namespace n, std::string_view l) const { return ns == n && local == l; }
};

// The namespace declarations (xmlns, xmlns:p) of the elements open now.
class NamespaceScopes {
public:
    // At most this many declarations are in force at a time: real documents have a few, and
    // each name is looked up through them.
    static constexpr std::size_t kMaxBindings = 256;

    // A start tag: takes the declarations among its attributes (name, value pairs ending in
    // nullptr). Call before resolving its names. False when that makes more than
    // kMaxBindings.
    bool open(const char** attributes);
    // The matching end tag; call after resolving its name.
    void close();
    // The namespace and local name of a qualified name ("x:c", "c"). An unprefixed
    // attribute is in no namespace; an unbound prefix gives Other.
    XmlName resolve(const char* name, bool attribute) const;

private:
    struct Binding {
        std::string prefix;
        Namespace ns;
        std::size_t depth;
    };
    std::vector<Binding> bindings_;
    std::size_t depth_ = 0;
};

// The attributes of a start tag, as expat gives them.
class XmlAttributes {
public:
    XmlAttributes(const char** pairs, const NamespaceScopes& scopes)
        : pairs_(pairs), scopes_(scopes) {}
    // The value of the attribute `local` in namespace `ns` (None: unqualified); nullptr
    // when the tag has none.
    const char* get(std::string_view local, Namespace ns = Namespace::None) const;

    // Calls visit(name, value) for each attribute, names as written (C strings): one pass
    // for a tag whose several attributes are all wanted.
    template <typename Visit> void forEach(Visit visit) const {
        for (const char** pair = pairs_; *pair; pair += 2)
            visit(pair[0], pair[1]);
    }

private:
    const char** pairs_;
    const NamespaceScopes& scopes_;
};

class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(const XmlName& name, const XmlAttributes& attributes) = 0;
    virtual void endElement(const XmlName& name) = 0;
    // Character data, in pieces as they come; line ends normalised to LF as XML requires.
    virtual void characters(std::string_view text) = 0;
};

class XmlParser {
public:
    // `part` names the document in messages.
    XmlParser(std::string part, XmlHandler& handler);
    ~XmlParser();
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;

    // Parses the next piece of the document; finish() after the last. Throws FormatError
    // for XML that is not well-formed or has a document type declaration, and passes on
    // what the handler throws.
    void parse(std::string_view piece);
    void finish();

private:
    void feed(std::string_view piece, bool last);
    void fail(std::exception_ptr error);

    template <typename Call> static void guarded(void* self, Call call);
    static void onStart(void* self, const char* name, const char** attributes);
    static void onEnd(void* self, const char* name);
    static void onCharacters(void* self, const char* text, int length);
    static void onDoctype(void* self, const char*, const char*, const char*, int);

    std::string part_;
    XmlHandler& handler_;
    XML_ParserStruct* parser_;
    NamespaceScopes scopes_;
    std::exception_ptr error_;
};

} // namespace wb::xls
