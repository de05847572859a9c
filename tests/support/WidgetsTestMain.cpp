// Test main for programs that show widgets (offscreen in CTest): they need the widget
// application object, created once for all tests.
#include "support/GbkBytes.h"
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Tests close windows; that must not end an event loop a later test runs.
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
