// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for programs that show widgets (offscreen in CTest): they need the widget
// application object, created once for all tests.
#include "support/GbkBytes.h"
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // CTest lists the tests at build time, where there may be no display to open.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QApplication application(argc, argv);
    // Tests close windows; that must not end an event loop a later test runs.
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
