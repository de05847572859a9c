// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/JetSql.h"

#include "data/DataText.h"
#include "text/DateText.h"
#include "text/Encoding.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace wb {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHigh(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}
// ASCII rules, not the locale's: the program's locale must not change how SQL is read.
bool isWordChar(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
           isHigh(c);
}
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Length of the GBK (GB18030) character at text[pos], whose first byte is >= 0x80.
std::size_t gbkCharLength(std::string_view text, std::size_t pos) {
    if (pos + 1 < text.size() && isDigit(text[pos + 1]))
        return std::min<std::size_t>(4, text.size() - pos); // four-byte GB18030
    return std::min<std::size_t>(2, text.size() - pos);
}

// Every single quote doubled; the same in GBK and in UTF-8, which share ASCII.
std::string doubledQuotes(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out;
}

[[noreturn]] void failStatement(std::string_view jetGbk, const std::string& why) {
    throw Error("无法执行语句“" + gbkToUtf8(Gbk::fromBytes(jetGbk)) + "”：" + why);
}

} // namespace

Gbk escapeSqlText(const Gbk& value) {
    return Gbk::fromBytes(doubledQuotes(value.view()));
}

JetStatement splitJetLiterals(const Gbk& jet) {
    const std::string_view text = jet.view();
    JetStatement out;
    std::string shape;
    shape.reserve(text.size());
    out.literals.reserve(8); // an import statement holds up to seven
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == '\'' || c == '"' || c == '#') {
            const auto kind = c == '#' ? JetLiteral::Kind::Date : JetLiteral::Kind::Text;
            std::string value;
            std::size_t end = pos + 1;
            for (;;) {
                const std::size_t close = text.find(c, end);
                if (close == std::string_view::npos)
                    failStatement(text, c == '#' ? "日期没有结束的 #" : "文字没有结束的引号");
                value.append(text.substr(end, close - end));
                end = close + 1;
                // A doubled quote inside quoted text stands for one quote.
                if (c != '#' && end < text.size() && text[end] == c) {
                    value += c;
                    ++end;
                    continue;
                }
                break;
            }
            out.literals.push_back({kind, Gbk::fromBytes(std::move(value))});
            shape += '?';
            pos = end;
        } else if (isDigit(c) || (c == '.' && pos + 1 < text.size() && isDigit(text[pos + 1]))) {
            std::size_t end = pos;
            while (end < text.size() && isDigit(text[end]))
                ++end;
            if (end < text.size() && text[end] == '.')
                for (++end; end < text.size() && isDigit(text[end]);)
                    ++end;
            if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
                std::size_t exponent = end + 1;
                if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
                    ++exponent;
                if (exponent < text.size() && isDigit(text[exponent])) {
                    end = exponent;
                    while (end < text.size() && isDigit(text[end]))
                        ++end;
                }
            }
            out.literals.push_back(
                {JetLiteral::Kind::Number, Gbk::fromBytes(text.substr(pos, end - pos))});
            shape += '?';
            pos = end;
        } else if (isWordChar(c)) {
            // A name, digits and GBK characters included, is copied whole.
            const std::size_t start = pos;
            while (pos < text.size() && isWordChar(text[pos]))
                pos += isHigh(text[pos]) ? gbkCharLength(text, pos) : 1;
            shape.append(text.substr(start, pos - start));
        } else if (c == '[') {
            // A GBK character's second byte may be "]": the name is read character-wise.
            std::size_t close = pos + 1;
            while (close < text.size() && text[close] != ']')
                close += isHigh(text[close]) ? gbkCharLength(text, close) : 1;
            if (close >= text.size())
                failStatement(text, "名称没有结束的 ]");
            shape.append(text.substr(pos, close + 1 - pos));
            pos = close + 1;
        } else if (c == '?') {
            failStatement(text, "语句中不能有参数标记 ?");
        } else {
            shape += c;
            ++pos;
        }
    }
    out.shape = Gbk::fromBytes(std::move(shape));
    return out;
}

namespace {

struct Token {
    enum class Kind : std::uint8_t { Word, Name, Parameter, Symbol };
    Kind kind = Kind::Symbol;
    std::string text;
    bool spaced = false; // blanks stood before it
    int literal = -1;    // Parameter: index of its literal
    std::string dateColumn;
    bool likePattern = false; // the parameter right after LIKE

    bool is(std::string_view symbol) const { return kind == Kind::Symbol && text == symbol; }
    bool isWord(std::string_view word) const {
        return kind == Kind::Word && equalsIgnoringAsciiCase(text, word);
    }
};

std::vector<Token> tokenize(std::string_view shape) {
    std::vector<Token> tokens;
    int literal = 0;
    std::size_t pos = 0;
    bool spaced = false;
    while (pos < shape.size()) {
        const char c = shape[pos];
        if (isSpace(c)) {
            spaced = true;
            ++pos;
            continue;
        }
        Token token;
        token.spaced = spaced;
        spaced = false;
        std::size_t end = pos + 1;
        if (c == '?') {
            token.kind = Token::Kind::Parameter;
            token.literal = literal++;
        } else if (c == '[') {
            token.kind = Token::Kind::Name;
            end = shape.find(']', pos) + 1; // the splitter made sure it is there
        } else if (isWordChar(c)) {
            token.kind = Token::Kind::Word;
            while (end < shape.size() && isWordChar(shape[end]))
                ++end;
        }
        token.text = shape.substr(pos, end - pos);
        tokens.push_back(std::move(token));
        pos = end;
    }
    return tokens;
}

bool isKeyword(std::string_view word) {
    static constexpr std::string_view keywords[] = {
        "ALL",    "AND",      "AS",     "ASC",   "BETWEEN", "BY",     "CASE",  "DELETE",
        "DESC",   "DISTINCT", "ELSE",   "END",   "EXISTS",  "FROM",   "GROUP", "HAVING",
        "IN",     "INNER",    "INSERT", "INTO",  "IS",      "JOIN",   "LEFT",  "LIKE",
        "LIMIT",  "NOT",      "NULL",   "ON",    "OR",      "ORDER",  "OUTER", "RIGHT",
        "SELECT", "SET",      "THEN",   "UNION", "UPDATE",  "VALUES", "WHEN",  "WHERE"};
    const std::string text = asciiUpper(word);
    return std::find(std::begin(keywords), std::end(keywords), text) != std::end(keywords);
}

using Range = std::pair<std::size_t, std::size_t>; // [first, last) into a token list

// Splits [first, last) at the commas outside parentheses.
std::vector<Range> splitAtCommas(const std::vector<Token>& tokens, std::size_t first,
                                 std::size_t last) {
    std::vector<Range> parts;
    int depth = 0;
    std::size_t start = first;
    for (std::size_t i = first; i < last; ++i) {
        if (tokens[i].is("("))
            ++depth;
        else if (tokens[i].is(")"))
            --depth;
        else if (depth == 0 && tokens[i].is(",")) {
            parts.emplace_back(start, i);
            start = i + 1;
        }
    }
    parts.emplace_back(start, last);
    return parts;
}

// First token from `first` on that is the keyword, outside parentheses; `last` if none.
std::size_t findKeyword(const std::vector<Token>& tokens, std::size_t first, std::size_t last,
                        std::string_view keyword) {
    int depth = 0;
    for (std::size_t i = first; i < last; ++i) {
        if (tokens[i].is("("))
            ++depth;
        else if (tokens[i].is(")"))
            --depth;
        else if (depth == 0 && tokens[i].isWord(keyword))
            return i;
    }
    return last;
}

bool isName(const Token& token) {
    return (token.kind == Token::Kind::Word && !isKeyword(token.text)) ||
           token.kind == Token::Kind::Name;
}

// A bracketed name without its brackets.
std::string_view bare(const Token& token) {
    if (token.kind == Token::Kind::Name)
        return std::string_view(token.text).substr(1, token.text.size() - 2);
    return token.text;
}

struct TableRef {
    Token table;
    std::optional<Token> alias;
};

// "name", "name alias" or "name AS alias".
std::optional<TableRef> parseTableRef(const std::vector<Token>& tokens, Range range) {
    const auto [first, last] = range;
    const std::size_t count = last - first;
    if (count == 0 || !isName(tokens[first]))
        return std::nullopt;
    TableRef ref{tokens[first], std::nullopt};
    if (count == 1)
        return ref;
    std::size_t aliasAt = first + 1;
    if (tokens[aliasAt].isWord("AS"))
        ++aliasAt;
    if (aliasAt + 1 != last || !isName(tokens[aliasAt]))
        return std::nullopt;
    ref.alias = tokens[aliasAt];
    return ref;
}

Token word(std::string text) {
    Token token;
    token.kind = Token::Kind::Word;
    token.text = std::move(text);
    token.spaced = true;
    return token;
}

void appendRef(std::vector<Token>& out, const TableRef& ref) {
    Token table = ref.table;
    table.spaced = true;
    out.push_back(table);
    if (ref.alias) {
        out.push_back(word("AS"));
        Token alias = *ref.alias;
        alias.spaced = true;
        out.push_back(alias);
    }
}

void markDateColumn(Token& value, const TableColumns* columns, std::string_view column) {
    if (value.kind != Token::Kind::Parameter || !columns)
        return;
    const int index = columns->indexOf(column);
    if (index >= 0 && columns->columns[index].type == ColumnType::Date)
        value.dateColumn = columns->columns[index].name;
}

// UPDATE refs SET items [WHERE ...]: refs of one table or of comma-joined tables.
std::vector<Token> translateUpdate(std::vector<Token> tokens, const ColumnsOfTable& columnsOf,
                                   std::string_view shapeGbk) {
    const std::size_t set = findKeyword(tokens, 1, tokens.size(), "SET");
    if (set == tokens.size())
        return tokens;
    const std::vector<Range> refRanges = splitAtCommas(tokens, 1, set);
    std::vector<TableRef> refs;
    for (const Range& range : refRanges) {
        auto ref = parseTableRef(tokens, range);
        if (!ref) {
            if (refRanges.size() > 1)
                failStatement(shapeGbk, "无法转换多表更新的表名部分");
            return tokens; // one table in a form we leave to the engine
        }
        refs.push_back(std::move(*ref));
    }
    const TableRef& target = refs.front();
    const TableColumns* columns = columnsOf(bare(target.table));
    const std::size_t where = findKeyword(tokens, set + 1, tokens.size(), "WHERE");

    std::vector<Token> out;
    out.push_back(tokens.front());
    appendRef(out, target);
    out.push_back(tokens[set]);
    bool firstItem = true;
    for (auto [first, last] : splitAtCommas(tokens, set + 1, where)) {
        if (!firstItem)
            out.push_back(tokens[first - 1]); // the comma
        firstItem = false;
        // The engine takes only an unqualified column after SET.
        std::size_t column = first;
        if (last - first >= 3 && isName(tokens[first]) && tokens[first + 1].is(".")) {
            const std::string_view qualifier = bare(tokens[first]);
            const bool ofTarget = equalsIgnoringAsciiCase(
                qualifier, target.alias ? bare(*target.alias) : bare(target.table));
            if (!ofTarget)
                failStatement(shapeGbk, "只能更新第一个表的字段");
            column = first + 2;
            tokens[column].spaced = tokens[first].spaced;
        }
        if (column + 3 == last && tokens[column + 1].is("="))
            markDateColumn(tokens[column + 2], columns, bare(tokens[column]));
        out.insert(out.end(), tokens.begin() + static_cast<std::ptrdiff_t>(column),
                   tokens.begin() + static_cast<std::ptrdiff_t>(last));
    }
    if (refs.size() > 1) {
        out.push_back(word("FROM"));
        for (std::size_t i = 1; i < refs.size(); ++i) {
            if (i > 1) {
                Token comma;
                comma.text = ",";
                out.push_back(comma);
            }
            appendRef(out, refs[i]);
        }
    }
    out.insert(out.end(), tokens.begin() + static_cast<std::ptrdiff_t>(where), tokens.end());
    return out;
}

// INSERT INTO table [(columns)] VALUES (values)[, (values)...]: marks the values that go
// into date columns.
void markInsertDates(std::vector<Token>& tokens, const ColumnsOfTable& columnsOf) {
    if (tokens.size() < 3 || !tokens[1].isWord("INTO") || !isName(tokens[2]))
        return;
    const TableColumns* columns = columnsOf(bare(tokens[2]));
    if (!columns)
        return;
    std::vector<std::string> targets;
    std::size_t pos = 3;
    if (pos < tokens.size() && tokens[pos].is("(")) {
        for (++pos; pos < tokens.size() && !tokens[pos].is(")"); ++pos)
            if (!tokens[pos].is(","))
                targets.emplace_back(bare(tokens[pos]));
        ++pos;
    } else {
        for (const TableColumn& column : columns->columns)
            targets.push_back(column.name);
    }
    if (pos >= tokens.size() || !tokens[pos].isWord("VALUES"))
        return;
    for (++pos; pos < tokens.size() && tokens[pos].is("(");) {
        int depth = 0;
        std::size_t close = pos;
        for (; close < tokens.size(); ++close) {
            depth += tokens[close].is("(") ? 1 : tokens[close].is(")") ? -1 : 0;
            if (depth == 0)
                break;
        }
        const std::vector<Range> values = splitAtCommas(tokens, pos + 1, close);
        for (std::size_t i = 0; i < values.size() && i < targets.size(); ++i)
            if (values[i].second - values[i].first == 1)
                markDateColumn(tokens[values[i].first], columns, targets[i]);
        pos = close + 1;
        if (pos < tokens.size() && tokens[pos].is(","))
            ++pos;
    }
}

// The engine text of a token list; `render` writes each parameter.
template <typename WriteParameter>
std::string render(const std::vector<Token>& tokens, WriteParameter&& writeParameter) {
    std::string sql;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (!sql.empty() && token.spaced && sql.back() != '(' && !token.is(")") && !token.is(","))
            sql += ' ';
        if (token.kind == Token::Kind::Parameter) {
            writeParameter(sql, token);
            if (token.likePattern)
                sql += " ESCAPE '\\'";
        } else if (token.kind == Token::Kind::Word && isKeyword(token.text)) {
            sql += asciiUpper(token.text);
        } else if (token.isWord("len") && i + 1 < tokens.size() && tokens[i + 1].is("(")) {
            sql += "length";
        } else {
            sql += token.text;
        }
    }
    return sql;
}

std::vector<Token> translateTokens(const Gbk& shape, const ColumnsOfTable& columnsOf) {
    const std::string_view shapeGbk = shape.view();
    std::vector<Token> tokens = tokenize(gbkToUtf8(shape));
    if (tokens.empty())
        failStatement(shapeGbk, "语句是空的");
    if (tokens.front().isWord("UPDATE"))
        tokens = translateUpdate(std::move(tokens), columnsOf, shapeGbk);
    else if (tokens.front().isWord("INSERT"))
        markInsertDates(tokens, columnsOf);
    for (std::size_t i = 1; i < tokens.size(); ++i)
        if (tokens[i].kind == Token::Kind::Parameter && tokens[i - 1].isWord("LIKE"))
            tokens[i].likePattern = true;
    return tokens;
}

} // namespace

EngineStatement translateJetShape(const Gbk& shape, const ColumnsOfTable& columnsOf) {
    const std::vector<Token> tokens = translateTokens(shape, columnsOf);
    EngineStatement out;
    out.sql = render(tokens, [&](std::string& sql, const Token& token) {
        sql += '?';
        out.parameters.push_back({token.literal, token.dateColumn, token.likePattern});
    });
    return out;
}

std::string storedDateText(double dayNumber) {
    double day = std::floor(dayNumber);
    long long seconds = std::llround((dayNumber - day) * 86400);
    if (seconds >= 86400) {
        day += 1;
        seconds = 0;
    }
    std::string text = formatIsoDate(day);
    if (seconds > 0) {
        char time[16];
        std::snprintf(time, sizeof time, " %02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
        text += time;
    }
    return text;
}

std::optional<std::string> storedDateText(const Gbk& gbk) {
    const std::optional<double> day = parseDateText(gbk);
    if (!day)
        return std::nullopt;
    return storedDateText(*day);
}

namespace {

// A Jet like pattern (UTF-8) with the engine's escape character in place of brackets.
std::string engineLikePattern(std::string_view jet) {
    std::string out;
    out.reserve(jet.size());
    for (std::size_t i = 0; i < jet.size(); ++i) {
        const char c = jet[i];
        if (c == '[' && i + 2 < jet.size() && jet[i + 2] == ']' &&
            (jet[i + 1] == '%' || jet[i + 1] == '_' || jet[i + 1] == '[')) {
            out += '\\';
            out += jet[i + 1];
            i += 2;
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

Gbk likePrefixPattern(const Gbk& prefix) {
    const std::string_view text = prefix.view();
    std::string out;
    out.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (isHigh(c)) {
            // Whole characters: a trail byte may look like "[" or "_".
            const std::size_t length = gbkCharLength(text, i);
            out += text.substr(i, length);
            i += length;
            continue;
        }
        if (c == '%' || c == '_' || c == '[')
            out += std::string{'[', c, ']'};
        else
            out += c;
        ++i;
    }
    return Gbk::fromBytes(out + '%');
}

EngineValue engineValue(const JetLiteral& literal, std::string_view dateColumn, bool likePattern) {
    if (literal.kind == JetLiteral::Kind::Date) {
        auto date = storedDateText(literal.value);
        if (!date)
            throw Error("#" + gbkToUtf8(literal.value) + "# 不是日期");
        return EngineValue::ofText(std::move(*date));
    }
    if (literal.kind == JetLiteral::Kind::Text) {
        if (likePattern)
            return EngineValue::ofText(engineLikePattern(gbkToUtf8(literal.value)));
        if (dateColumn.empty())
            return EngineValue::ofText(gbkToUtf8(literal.value));
        auto date = storedDateText(literal.value);
        if (!date)
            throw Error("“" + gbkToUtf8(literal.value) + "”不是日期，不能写入日期字段 " +
                        std::string(dateColumn));
        return EngineValue::ofText(std::move(*date));
    }
    const std::string& digits = literal.value.bytes();
    std::int64_t integer = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), integer);
    const bool whole = ec == std::errc() && end == digits.data() + digits.size();
    double real = static_cast<double>(integer);
    if (!whole) // from_chars, unlike strtod, ignores the locale's decimal point
        std::from_chars(digits.data(), digits.data() + digits.size(), real);
    if (!dateColumn.empty())
        return EngineValue::ofText(storedDateText(real));
    return whole ? EngineValue::ofInteger(integer) : EngineValue::ofReal(real);
}

void engineValues(const EngineStatement& translated, const JetStatement& split, const Gbk& jet,
                  std::vector<EngineValue>& out) {
    out.clear();
    for (const EngineStatement::Parameter& parameter : translated.parameters) {
        try {
            out.push_back(engineValue(split.literals[static_cast<std::size_t>(parameter.literal)],
                                      parameter.dateColumn, parameter.likePattern));
        } catch (const Error& error) {
            throw Error(refusedStatement(gbkToUtf8(jet)) + "：" + error.what());
        }
    }
}

std::string translateJet(const Gbk& jet, const ColumnsOfTable& columnsOf) {
    const JetStatement split = splitJetLiterals(jet);
    const std::vector<Token> tokens = translateTokens(split.shape, columnsOf);
    return render(tokens, [&](std::string& sql, const Token& token) {
        const JetLiteral& literal = split.literals[static_cast<std::size_t>(token.literal)];
        const EngineValue value = engineValue(literal, token.dateColumn, token.likePattern);
        switch (value.kind) {
        case EngineValue::Kind::Integer:
            sql += std::to_string(value.integer);
            break;
        case EngineValue::Kind::Real: // only a number literal gives a real
            sql += literal.value.bytes();
            break;
        case EngineValue::Kind::Text:
            sql += '\'' + doubledQuotes(value.text) + '\'';
            break;
        case EngineValue::Kind::Null: // a literal is never NULL
            sql += "NULL";
            break;
        }
    });
}

} // namespace wb
