// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small .xlsx packages put together in memory for the reader tests and the fuzz target: a
// workbook of one sheet whose parts a test replaces or leaves out, zipped with libzip.

#include <zip.h>

#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

namespace wb::test {

// Part name -> content; a part mapped to nullopt is left out.
using Parts = std::map<std::string, std::optional<std::string>>;

inline const char* const kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline const char* const kRelationshipsNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

inline std::string relationship(const std::string& id, const std::string& kind,
                                const std::string& target) {
    return "<Relationship Id=\"" + id + "\" Type=\"" + kRelationshipsNs + "/" + kind +
           "\" Target=\"" + target + "\"/>";
}

inline std::string relationships(const std::string& items) {
    return "<Relationships "
           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
           items + "</Relationships>";
}

// A worksheet part whose sheetData holds `rows`.
inline std::string sheetXml(const std::string& rows) {
    return std::string("<worksheet xmlns=\"") + kMainNs + "\"><sheetData>" + rows +
           "</sheetData></worksheet>";
}

// The parts of a workbook with one sheet "S" (xl/worksheets/sheet1.xml, holding `rows`),
// three shared strings "a", "b", "c" and four cell formats: General, built-in date 14, the
// defined date format 164 "yyyy年m月" and the defined number format 165 "0.00".
inline Parts workbookParts(const std::string& rows) {
    return {
        {"[Content_Types].xml", "<Types/>"},
        {"_rels/.rels", relationships(relationship("rId1", "officeDocument", "xl/workbook.xml"))},
        {"xl/workbook.xml", std::string("<workbook xmlns=\"") + kMainNs + "\" xmlns:r=\"" +
                                kRelationshipsNs +
                                "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/>"
                                "</sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         relationships(relationship("rId1", "worksheet", "worksheets/sheet1.xml") +
                       relationship("rId2", "sharedStrings", "sharedStrings.xml") +
                       relationship("rId3", "styles", "styles.xml"))},
        {"xl/sharedStrings.xml", std::string("<sst xmlns=\"") + kMainNs +
                                     "\"><si><t>a</t></si><si><t>b</t></si><si><t>c</t></si>"
                                     "</sst>"},
        {"xl/styles.xml",
         std::string("<styleSheet xmlns=\"") + kMainNs +
             "\"><numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy&quot;年"
             "&quot;m&quot;月&quot;\"/><numFmt numFmtId=\"165\" "
             "formatCode=\"0.00\"/></numFmts><cellStyleXfs><xf numFmtId=\"14\"/>"
             "</cellStyleXfs><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>"
             "<xf numFmtId=\"164\"/><xf numFmtId=\"165\"/></cellXfs></styleSheet>"},
        {"xl/worksheets/sheet1.xml", sheetXml(rows)},
    };
}

// The zip of the parts.
inline std::string zipBytes(const Parts& parts) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
    zip_error_fini(&error);
    if (!archive)
        throw std::runtime_error("cannot make a zip in memory");
    zip_source_keep(buffer);
    for (const auto& [name, content] : parts) {
        if (!content)
            continue;
        zip_source_t* data = zip_source_buffer(archive, content->data(), content->size(), 0);
        const zip_int64_t index =
            data ? zip_file_add(archive, name.c_str(), data, ZIP_FL_OVERWRITE) : -1;
        // Stored, not deflated: quicker, and the fixture files cover deflated parts.
        if (index < 0 || zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                                  ZIP_CM_STORE, 0) != 0)
            throw std::runtime_error("cannot add " + name);
    }
    if (zip_close(archive) != 0)
        throw std::runtime_error("cannot write the zip");
    std::string bytes;
    if (zip_source_open(buffer) == 0) {
        char chunk[4096];
        zip_int64_t got;
        while ((got = zip_source_read(buffer, chunk, sizeof chunk)) > 0)
            bytes.append(chunk, static_cast<std::size_t>(got));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return bytes;
}

} // namespace wb::test
