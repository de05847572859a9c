// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/ErrorLine.h"

#include "text/Encoding.h"
#include "text/Error.h"
#include "text/GbkText.h"

#include <QFile>
#include <QSaveFile>

namespace wb {

Gbk ErrorLine::line() const {
    if (kind.empty())
        return text;
    Gbk line = kind + ':' + name;
    // A refused person has a reason and no text of its own.
    if (!text.empty() || reason.empty()) {
        line += ':';
        line += text;
    }
    if (!reason.empty()) {
        line += ':';
        line += reason;
    }
    return line;
}

Gbk noCodeExplanation(const Gbk& text, const Gbk& what) {
    static const Gbk kNotWritten = gbk("没有写");
    static const Gbk kNoCode = gbk("代码文件中没有“");
    static const Gbk kThis = gbk("”这一");
    static const Gbk kBlanks = gbk("（文字前后多了空格）");
    if (text.empty())
        return kNotWritten + what;
    Gbk explanation = kNoCode + text + kThis + what;
    // Code-file keys are trimmed, so a blank the clerk typed at either end never matches.
    if (trim(text).size() != text.size())
        explanation += kBlanks;
    return explanation;
}

namespace {

// A field as CSV writes it: quoted when it holds a separator, a quote or a line break. A
// text a spreadsheet program would take for a formula (a workbook's cell can hold anything)
// gets a leading apostrophe, so that opening the list never runs it.
std::string csvField(const Gbk& text) {
    std::string field = gbkToUtf8(text);
    if (!field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string::npos)
        field.insert(field.begin(), '\'');
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

} // namespace

std::string errorListCsv(const std::vector<ErrorLine>& lines) {
    std::string csv = "\xEF\xBB\xBF类别,姓名,内容,原因\r\n";
    for (const ErrorLine& line : lines)
        csv += csvField(line.kind) + ',' + csvField(line.name) + ',' + csvField(line.text) + ',' +
               csvField(line.cause()) + "\r\n";
    return csv;
}

void writeErrorListCsv(const std::string& path, const std::vector<ErrorLine>& lines) {
    QSaveFile file(QFile::decodeName(path.c_str()));
    const std::string csv = errorListCsv(lines);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(csv.data(), static_cast<qint64>(csv.size())) !=
            static_cast<qint64>(csv.size()) ||
        !file.commit())
        throw Error("无法写入错误列表文件 " + path + "：" + file.errorString().toStdString());
}

} // namespace wb
