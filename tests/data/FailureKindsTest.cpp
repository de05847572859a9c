// SPDX-License-Identifier: GPL-3.0-or-later
// A failure of the database passes by every handler written for a refused record or for
// anything unexpected, and reaches the places that report failures with its text.

#include "data/DatabaseFailure.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <functional>
#include <type_traits>

using namespace wb;

namespace {

static_assert(!std::is_base_of_v<Error, DatabaseFailure>);
static_assert(!std::is_base_of_v<std::exception, DatabaseFailure>);

// Which handler takes what `fail` throws: a row's, one for anything unexpected, or the
// report's (with the failure's text).
std::string handlerOf(const std::function<void()>& fail) {
    try {
        try {
            fail();
        } catch (const Error&) {
            return "the row's";
        } catch (const std::exception&) {
            return "the unexpected's";
        }
    } catch (...) {
        return "the report's: " + failureText();
    }
    return "none";
}

TEST(FailureKinds, OnlyTheReportTakesADatabaseFailure) {
    EXPECT_EQ(handlerOf([] { throw DatabaseFailure("磁盘已满"); }), "the report's: 磁盘已满");
}

TEST(FailureKinds, ARefusedRecordIsTheRowsAndItsTextReachesTheReport) {
    EXPECT_EQ(handlerOf([] { throw Error("不是日期"); }), "the row's");
    try {
        throw Error("不是日期");
    } catch (...) {
        EXPECT_EQ(failureText(), "不是日期");
    }
}

} // namespace
