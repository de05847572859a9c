// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command lines of the programs: QCommandLineParser with each program's options plus
// -h/--help and --version, "--" ending the options. Help and messages are the program's own
// Chinese texts; a usage error exits with 2.

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <optional>
#include <string>
#include <vector>

namespace wb::cli {

inline constexpr int kUsageError = 2;

class CommandLine {
public:
    // `program` names the program in messages and in the version line. The usage text is
    // `head`, the options (each with its description), then `tail`; all UTF-8. Sets the
    // application's version to the project's.
    CommandLine(std::string program, std::string head, std::string tail);

    // Adds one of the program's options; its description goes into the usage text.
    void addOption(const QCommandLineOption& option);

    // Parses argv as given. Returns the status to exit with when the program ends here: 0
    // after printing the usage (--help) or the version (--version) on stdout, kUsageError
    // after a usage error on stderr (an unknown option named as written, a missing value, a
    // value given to an option that takes none); std::nullopt when the program goes on.
    std::optional<int> parse(int argc, char** argv);

    bool isSet(const QCommandLineOption& option) const { return parser_.isSet(option); }
    // The last value given to `option`, as the bytes given (UTF-8 on a UTF-8 terminal).
    std::string value(const QCommandLineOption& option) const;
    // The arguments that are no options, in order, as the bytes given.
    std::vector<std::string> positionalArguments() const;

    // Prints "program: message" (UTF-8, shown terminal-safe), a blank line and the usage on
    // stderr; returns kUsageError.
    int usageError(const std::string& message) const;

    // The usage text --help prints.
    std::string usage() const;

private:
    std::string program_, head_, tail_;
    QCommandLineParser parser_;
    QList<QCommandLineOption> options_; // in the order the usage lists them
    QCommandLineOption help_, version_;
};

} // namespace wb::cli
