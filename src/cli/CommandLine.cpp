// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandLine.h"

#include "text/TerminalText.h"

#include <QCoreApplication>
#include <QTranslator>

#include <algorithm>
#include <iostream>
#include <utility>

namespace wb::cli {

namespace {

// The parser's own messages in Chinese. It names an unknown option without its dashes, so
// parse() words that message itself.
class ParserMessages : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*,
                      int) const override {
        if (qstrcmp(context, "QCommandLineParser") != 0)
            return {};
        if (qstrcmp(sourceText, "Missing value after '%1'.") == 0)
            return QStringLiteral("%1 后面缺少值");
        if (qstrcmp(sourceText, "Unexpected value after '%1'.") == 0)
            return QStringLiteral("%1 不带值");
        return {};
    }
};

// Arguments reach the parser as Latin-1, one character a byte, so that every value leaves it
// as the bytes given: a file name need not be valid UTF-8.
QString fromBytes(const char* bytes) {
    return QString::fromLatin1(bytes);
}
std::string toBytes(const QString& text) {
    return text.toLatin1().toStdString();
}

// The argument that gave an unknown option, as it was written: the parser names the option
// without its dashes, and a letter of "-abc" alone.
QString written(const QString& name, const QStringList& arguments) {
    const QString longForm = QStringLiteral("--") + name;
    for (qsizetype i = 1; i < arguments.size() && arguments[i] != QStringLiteral("--"); ++i) {
        const QString& argument = arguments[i];
        if (argument == longForm || argument.startsWith(longForm + QLatin1Char('=')))
            return longForm;
        if (name.size() == 1 && argument.startsWith(QLatin1Char('-')) &&
            !argument.startsWith(QStringLiteral("--")) && argument.contains(name))
            return argument;
    }
    return QStringLiteral("-") + name;
}

std::string optionForms(const QCommandLineOption& option) {
    std::string forms;
    for (const QString& name : option.names())
        forms += (forms.empty() ? "" : ", ") + std::string(name.size() == 1 ? "-" : "--") +
                 name.toStdString();
    if (!option.valueName().isEmpty())
        forms += " " + option.valueName().toStdString();
    return forms;
}

} // namespace

CommandLine::CommandLine(std::string program, std::string head, std::string tail)
    : program_(std::move(program)), head_(std::move(head)), tail_(std::move(tail)),
      help_({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("显示本说明")),
      version_(QStringLiteral("version"), QStringLiteral("显示版本号")) {
    QCoreApplication::setApplicationVersion(QStringLiteral(WB_VERSION));
}

void CommandLine::addOption(const QCommandLineOption& option) {
    parser_.addOption(option);
    options_.append(option);
}

std::optional<int> CommandLine::parse(int argc, char** argv) {
    parser_.addOption(help_);
    parser_.addOption(version_);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(fromBytes(argv[i]));
    ParserMessages messages;
    QCoreApplication::installTranslator(&messages);
    const bool parsed = parser_.parse(arguments);
    QCoreApplication::removeTranslator(&messages);
    if (!parsed) {
        const QStringList unknown = parser_.unknownOptionNames();
        if (!unknown.isEmpty())
            return usageError("未知选项 " + toBytes(written(unknown.first(), arguments)));
        return usageError(parser_.errorText().toStdString());
    }
    if (parser_.isSet(help_)) {
        std::cout << usage() << std::flush;
        return 0;
    }
    if (parser_.isSet(version_)) {
        std::cout << program_ << ' ' << QCoreApplication::applicationVersion().toStdString() << '\n'
                  << std::flush;
        return 0;
    }
    return std::nullopt;
}

std::string CommandLine::value(const QCommandLineOption& option) const {
    return toBytes(parser_.value(option));
}

std::vector<std::string> CommandLine::positionalArguments() const {
    std::vector<std::string> result;
    for (const QString& argument : parser_.positionalArguments())
        result.push_back(toBytes(argument));
    return result;
}

int CommandLine::usageError(const std::string& message) const {
    std::cout << std::flush;
    std::cerr << program_ << ": " << terminalSafe(message) << "\n\n" << usage() << std::flush;
    return kUsageError;
}

std::string CommandLine::usage() const {
    std::vector<std::pair<std::string, std::string>> lines;
    for (const QCommandLineOption& option : options_ + QList{help_, version_})
        lines.emplace_back(optionForms(option), option.description().toStdString());
    lines.emplace_back("--", "其后的参数都不是选项 (例如以 - 开头的文件名)");
    std::size_t width = 0;
    for (const auto& line : lines)
        width = std::max(width, line.first.size());
    std::string text = head_;
    for (const auto& [forms, description] : lines)
        text += "  " + forms + std::string(width - forms.size() + 3, ' ') + description + '\n';
    return text + tail_;
}

} // namespace wb::cli
