// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace wb {

// What every failure the engine throws has: a text (UTF-8) that says what failed, on which
// file or row, and why, so that a user can act on it; only the window turns it into a message
// box and only the command line into stderr and an exit status. No std::exception: a handler
// names the kind of failure it takes (Error, DatabaseFailure), so that one written for a
// refused record cannot take a failure that ends the run; only the places that report any
// failure take them all (failureText).
class Failure {
public:
    virtual ~Failure() = default;
    virtual const char* what() const noexcept = 0;
};

// A failure of one thing the engine was asked to do (a record, a statement, a workbook, a
// file): the run it belongs to may go on, as an import lists a refused row and reads the
// next. A std::runtime_error as well, so that handlers of anything unexpected take it too.
class Error : public std::runtime_error, public Failure {
public:
    explicit Error(const std::string& utf8Message) : std::runtime_error(utf8Message) {}
    const char* what() const noexcept override { return std::runtime_error::what(); }
};

// Inside a handler: the text of the failure being handled, a Failure's or a
// std::exception's; empty for anything else.
inline std::string failureText() {
    try {
        throw;
    } catch (const Failure& failure) {
        return failure.what();
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return {};
    }
}

} // namespace wb
