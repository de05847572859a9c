// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Jet dialect the import writes its statements in, its translation for the embedded
// engine, and the one helper that places a value into statement text.
//
// A statement is translated in two steps. splitJetLiterals cuts every literal out (quoted
// text, bare number, #date#) and leaves a placeholder, so that statements differing only in
// their values share one shape; translateJetShape turns a shape into engine SQL once, and
// engineValue gives each literal the value the engine binds to its placeholder.

#include "data/EngineValue.h"
#include "data/TableColumns.h"
#include "text/Gbk.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace wb {

// A value for placing between single quotes in a statement: every quote doubled, so a
// quote in a code, a name or a department code is stored as it is.
Gbk escapeSqlText(const Gbk& value);

// A `like` pattern that matches exactly the texts beginning with `prefixGbk`: the wildcards
// "%" and "_" and the bracket "[" in it are written "[%]", "[_]" and "[[]", so that each
// matches only itself (double-byte characters are left whole), and "%" follows. Quotes are
// left to escapeSqlText.
Gbk likePrefixPattern(const Gbk& prefix);

struct JetLiteral {
    enum class Kind : std::uint8_t { Text, Number, Date };
    Kind kind = Kind::Text;
    // Text: the text between the quotes (GBK), doubled quotes undone; Number: the digits as
    // written; Date: the text between the # marks.
    Gbk value;

    bool operator==(const JetLiteral&) const = default;
};

struct JetStatement {
    Gbk shape; // the statement with each literal replaced by "?"
    std::vector<JetLiteral> literals;
};

// Cuts the literals out of a statement: '...' and "..." (a doubled quote stands for one),
// #...#, and numbers that stand on their own (not the digits of a name such as dm_jg).
// Throws wb::Error for a literal without its closing mark and for a "?" outside a literal.
JetStatement splitJetLiterals(const Gbk& jet);

// The columns of a table by name (UTF-8); nullptr when the table is unknown.
using ColumnsOfTable = std::function<const TableColumns*(std::string_view table)>;

struct EngineStatement {
    struct Parameter {
        int literal = 0;          // index into JetStatement::literals
        std::string dateColumn;   // the date column the value is written into, else empty
        bool likePattern = false; // the pattern of a `like`
    };
    std::string sql;                   // UTF-8; one "?" per parameter and no other "?"
    std::vector<Parameter> parameters; // in the order of the "?"s
};

// Translates a shape: keywords in capitals and blanks tidied; len( becomes length(; a
// `like` gets the escape character of the engine (see engineValue); an
// update of comma-joined tables ("update a x,b y set x.c=0 where ...") becomes
// "UPDATE a AS x SET c=? FROM b AS y WHERE ..."; a value that an insert or an update's SET
// writes into a DATE/DATETIME column is marked with that column. Throws wb::Error for an
// update of comma-joined tables that cannot be rewritten (a SET of a column of a table
// other than the first).
EngineStatement translateJetShape(const Gbk& shape, const ColumnsOfTable& columnsOf);

// The value of a literal: text as UTF-8, a number as an integer when it is whole and fits
// 64 bits, else as a real; a date literal as stored date text. A text or number written
// into a date column (dateColumn not empty) becomes stored date text too (a number counts
// days). The text of a like pattern has its bracketed wildcards ("[%]", "[_]", "[[]") written
// with the engine's escape character "\" (which is itself doubled). Throws wb::Error when a
// date literal or a value for a date column is no date.
EngineValue engineValue(const JetLiteral& literal, std::string_view dateColumn = {},
                        bool likePattern = false);

// The values of a split statement's literals for the parameters of its translation, in the
// order of its "?"s, into `out`. Throws wb::Error naming the statement `jet` when a value is
// no date where a date is needed; then nothing is to be run. The statement's text is made
// only then: the import runs this for every record it writes.
void engineValues(const EngineStatement& translated, const JetStatement& split, const Gbk& jet,
                  std::vector<EngineValue>& out);

// A Jet statement run as its kind runs it: its shape translated once and kept in `shapes` as
// what `make(translated)` gives (an entry with its `translated` member: prepared, named...);
// `values` get the statement's literals. Throws as translateJetShape and engineValues do.
template <typename Entry, typename Make>
const Entry& shapeOf(std::unordered_map<Gbk, Entry>& shapes, const Gbk& jet,
                     const ColumnsOfTable& columnsOf, const Make& make,
                     std::vector<EngineValue>& values) {
    JetStatement split = splitJetLiterals(jet);
    auto found = shapes.find(split.shape);
    if (found == shapes.end()) {
        Entry entry = make(translateJetShape(split.shape, columnsOf));
        found = shapes.emplace(std::move(split.shape), std::move(entry)).first;
    }
    engineValues(found->second.translated, split, jet, values);
    return found->second;
}

// The text a date column stores: "yyyy-mm-dd", followed by " hh:mm:ss" when the day number
// carries a time of day.
std::string storedDateText(double dayNumber);
// The same for a date text in any form parseDateText reads; nullopt for a text that is no
// date.
std::optional<std::string> storedDateText(const Gbk& text);

// The whole translation with every value written into the text (texts quoted and escaped),
// for a consumer that cannot bind values, such as a grid model. Throws as above.
std::string translateJet(const Gbk& jet, const ColumnsOfTable& columnsOf);

} // namespace wb
