#include "data/TableColumns.h"

#include <algorithm>
#include <cctype>

namespace wb {

namespace {

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool contains(const std::string& upperText, std::string_view part) {
    return upperText.find(part) != std::string::npos;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return upper(x) == upper(y); });
}

} // namespace

ColumnType columnTypeOfDeclaration(std::string_view declaredType) {
    std::string type(declaredType);
    std::transform(type.begin(), type.end(), type.begin(), upper);
    if (contains(type, "DATE") || contains(type, "TIMESTAMP"))
        return ColumnType::Date;
    if (contains(type, "INT"))
        return ColumnType::Integer;
    if (contains(type, "CHAR") || contains(type, "CLOB") || contains(type, "TEXT"))
        return ColumnType::Text;
    if (type.empty() || contains(type, "BLOB"))
        return ColumnType::Untyped;
    return ColumnType::Real;
}

int TableColumns::indexOf(std::string_view name) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (equalsIgnoringCase(columns[i].name, name))
            return static_cast<int>(i);
    return -1;
}

} // namespace wb
