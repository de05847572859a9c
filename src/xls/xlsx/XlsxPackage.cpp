// SPDX-License-Identifier: GPL-3.0-or-later
#include "xls/xlsx/XlsxPackage.h"

namespace wb::xls {

std::string folderOf(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    return std::string(slash == std::string_view::npos ? std::string_view()
                                                       : part.substr(0, slash + 1));
}

namespace {

// Relationship types: a base, transitional or strict, then the kind ("worksheet").
constexpr std::string_view kRelationshipTypeBases[] = {
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/",
    "http://purl.oclc.org/ooxml/officeDocument/relationships/",
};

// The kind of a relationship type, whichever base it has; empty for other types.
std::string_view relationshipKind(std::string_view type) {
    for (const std::string_view base : kRelationshipTypeBases)
        if (type.starts_with(base))
            return type.substr(base.size());
    return {};
}

// The part holding a part's relationships: "xl/_rels/workbook.xml.rels"; for the package
// itself (empty name) "_rels/.rels".
std::string relationshipsPartOf(std::string_view part) {
    const std::string folder = folderOf(part);
    return folder + "_rels/" + std::string(part.substr(folder.size())) + ".rels";
}

// A relationship's target as a part name: relative to the source's folder unless it starts
// with "/"; "." and ".." segments resolved ("../" at the root stays at the root).
std::string resolveTarget(std::string_view folder, std::string_view target) {
    std::string path = target.starts_with('/') ? std::string(target.substr(1))
                                               : std::string(folder) + std::string(target);
    std::vector<std::string_view> segments;
    std::string_view rest = path;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
    }
    std::string resolved;
    for (const std::string_view segment : segments) {
        if (!resolved.empty())
            resolved += '/';
        resolved += segment;
    }
    return resolved;
}

} // namespace

void parsePart(ZipPackage& package, const std::string& part, XmlHandler& handler) {
    XmlParser parser(part, handler);
    package.read(part, [&](std::string_view piece) { parser.parse(piece); });
    parser.finish();
}

namespace {

class RelationshipsHandler final : public XmlHandler {
public:
    explicit RelationshipsHandler(std::string folder) : folder_(std::move(folder)) {}

    void startElement(const XmlName& name, const XmlAttributes& attributes) override {
        if (!name.is(Namespace::PackageRelationships, "Relationship"))
            return;
        const char* id = attributes.get("Id");
        const char* type = attributes.get("Type");
        const char* target = attributes.get("Target");
        const char* mode = attributes.get("TargetMode");
        if (!id || !type || !target || (mode && std::string_view(mode) == "External"))
            return;
        relationships.push_back(
            {id, std::string(relationshipKind(type)), resolveTarget(folder_, target)});
    }
    void endElement(const XmlName&) override {}
    void characters(std::string_view) override {}

    std::vector<Relationship> relationships;

private:
    std::string folder_;
};

} // namespace

std::vector<Relationship> readRelationships(ZipPackage& package, const std::string& source) {
    const std::string part = relationshipsPartOf(source);
    if (!package.contains(part))
        return {};
    RelationshipsHandler handler(folderOf(source));
    parsePart(package, part, handler);
    return std::move(handler.relationships);
}

namespace {

const Relationship* find(const std::vector<Relationship>& relationships,
                         bool (*matches)(const Relationship&, std::string_view),
                         std::string_view wanted) {
    for (const Relationship& relationship : relationships)
        if (matches(relationship, wanted))
            return &relationship;
    return nullptr;
}

} // namespace

const Relationship* byKind(const std::vector<Relationship>& relationships, std::string_view kind) {
    return find(
        relationships, [](const Relationship& r, std::string_view k) { return r.kind == k; }, kind);
}

const Relationship* byId(const std::vector<Relationship>& relationships, std::string_view id) {
    return find(
        relationships, [](const Relationship& r, std::string_view i) { return r.id == i; }, id);
}

} // namespace wb::xls
