// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for programs that use Qt SQL: its drivers need an application object.
#include "support/GbkBytes.h"
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
