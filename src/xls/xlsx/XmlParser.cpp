// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/xlsx/XmlParser.h"

#include "xls/FormatError.h"

// The library is built with DTD support; its entity-amplification bound is declared only
// for such builds.
#ifndef XML_DTD
#define XML_DTD
#endif
#include <expat.h>

#include <climits>
#include <new>

namespace wb::xls {

namespace {

// Amplification expat allows through entity references; with the document type refused
// there are only the predefined entities, which never amplify.
constexpr float kMaxAmplification = 4.0f;

constexpr std::string_view kXmlns = "xmlns";

Namespace namespaceOf(std::string_view uri) {
    if (uri.empty())
        return Namespace::None;
    if (uri == "http://schemas.openxmlformats.org/spreadsheetml/2006/main" ||
        uri == "http://purl.oclc.org/ooxml/spreadsheetml/main")
        return Namespace::Spreadsheet;
    if (uri == "http://schemas.openxmlformats.org/officeDocument/2006/relationships" ||
        uri == "http://purl.oclc.org/ooxml/officeDocument/relationships")
        return Namespace::OfficeRelationships;
    if (uri == "http://schemas.openxmlformats.org/package/2006/relationships")
        return Namespace::PackageRelationships;
    return Namespace::Other;
}

} // namespace

bool NamespaceScopes::open(const char** attributes) {
    ++depth_;
    for (const char** pair = attributes; *pair; pair += 2) {
        if ((*pair)[0] != 'x') // most attributes: no need to measure the name
            continue;
        const std::string_view name = *pair;
        if (!name.starts_with(kXmlns))
            continue;
        if (name.size() == kXmlns.size())
            bindings_.push_back({{}, namespaceOf(pair[1]), depth_});
        else if (name[kXmlns.size()] == ':')
            bindings_.push_back(
                {std::string(name.substr(kXmlns.size() + 1)), namespaceOf(pair[1]), depth_});
    }
    return bindings_.size() <= kMaxBindings;
}

void NamespaceScopes::close() {
    while (!bindings_.empty() && bindings_.back().depth == depth_)
        bindings_.pop_back();
    if (depth_ > 0)
        --depth_;
}

XmlName NamespaceScopes::resolve(const char* name, bool attribute) const {
    // One pass finds both the colon and the end.
    const char* colon = nullptr;
    const char* end = name;
    for (; *end; ++end)
        if (*end == ':' && !colon)
            colon = end;
    if (!colon && attribute)
        return {Namespace::None, std::string_view(name, static_cast<std::size_t>(end - name))};
    const std::string_view prefix =
        colon ? std::string_view(name, static_cast<std::size_t>(colon - name)) : std::string_view();
    const char* localStart = colon ? colon + 1 : name;
    const std::string_view local(localStart, static_cast<std::size_t>(end - localStart));
    for (auto binding = bindings_.rbegin(); binding != bindings_.rend(); ++binding)
        if (binding->prefix == prefix)
            return {binding->ns, local};
    return {prefix.empty() ? Namespace::None : Namespace::Other, local};
}

namespace {

// Whether a C string equals `text`, without measuring the C string first: start tags have
// several attributes and most are compared against short names only.
bool equals(const char* name, std::string_view text) {
    for (const char c : text)
        if (*name++ != c)
            return false;
    return *name == '\0';
}

} // namespace

const char* XmlAttributes::get(std::string_view local, Namespace ns) const {
    for (const char** pair = pairs_; *pair; pair += 2) {
        if (ns == Namespace::None ? equals(*pair, local)
                                  : scopes_.resolve(*pair, true).is(ns, local))
            return pair[1];
    }
    return nullptr;
}

XmlParser::XmlParser(std::string part, XmlHandler& handler)
    : part_(std::move(part)), handler_(handler), parser_(XML_ParserCreate(nullptr)) {
    if (!parser_)
        throw std::bad_alloc();
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &XmlParser::onStart, &XmlParser::onEnd);
    XML_SetCharacterDataHandler(parser_, &XmlParser::onCharacters);
    XML_SetStartDoctypeDeclHandler(parser_, &XmlParser::onDoctype);
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser_, kMaxAmplification);
}

XmlParser::~XmlParser() {
    XML_ParserFree(parser_);
}

void XmlParser::parse(std::string_view piece) {
    while (piece.size() > INT_MAX / 2) {
        feed(piece.substr(0, INT_MAX / 2), false);
        piece.remove_prefix(INT_MAX / 2);
    }
    feed(piece, false);
}

void XmlParser::finish() {
    feed({}, true);
}

void XmlParser::feed(std::string_view piece, bool last) {
    const XML_Status status =
        XML_Parse(parser_, piece.data(), static_cast<int>(piece.size()), last ? 1 : 0);
    if (error_)
        std::rethrow_exception(error_);
    if (status != XML_STATUS_OK) {
        const XML_Error code = XML_GetErrorCode(parser_);
        throw FormatError(reason::badXml(part_, XML_GetCurrentLineNumber(parser_),
                                         XML_GetCurrentColumnNumber(parser_) + 1,
                                         XML_ErrorString(code)));
    }
}

// Handlers do not let exceptions pass through expat's C frames: the first one is kept, the
// parser stopped, and the exception thrown again once XML_Parse has returned.
void XmlParser::fail(std::exception_ptr error) {
    if (!error_)
        error_ = std::move(error);
    XML_StopParser(parser_, XML_FALSE);
}

template <typename Call> void XmlParser::guarded(void* self, Call call) {
    auto* parser = static_cast<XmlParser*>(self);
    if (parser->error_)
        return;
    try {
        call(parser->handler_);
    } catch (...) {
        parser->fail(std::current_exception());
    }
}

void XmlParser::onStart(void* self, const char* name, const char** attributes) {
    auto* parser = static_cast<XmlParser*>(self);
    NamespaceScopes& scopes = parser->scopes_;
    guarded(self, [&](XmlHandler& handler) {
        if (!scopes.open(attributes))
            throw FormatError(reason::xmlTooManyNamespaces(parser->part_));
        handler.startElement(scopes.resolve(name, false), XmlAttributes(attributes, scopes));
    });
}

void XmlParser::onEnd(void* self, const char* name) {
    NamespaceScopes& scopes = static_cast<XmlParser*>(self)->scopes_;
    guarded(self, [&](XmlHandler& handler) { handler.endElement(scopes.resolve(name, false)); });
    scopes.close();
}

void XmlParser::onCharacters(void* self, const char* text, int length) {
    guarded(self, [&](XmlHandler& handler) {
        handler.characters(std::string_view(text, static_cast<std::size_t>(length)));
    });
}

void XmlParser::onDoctype(void* self, const char*, const char*, const char*, int) {
    auto* parser = static_cast<XmlParser*>(self);
    parser->fail(std::make_exception_ptr(FormatError(reason::xmlDoctype(parser->part_))));
}

} // namespace wb::xls
