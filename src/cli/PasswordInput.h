// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The password of a protected workbook on the command line: never an argument (it would show
// in the process list and the shell's history), but typed on the terminal with echo off, or
// given as the first line of standard input with --password-stdin.

#include "xls/PasswordPrompt.h"

#include <QCommandLineOption>

namespace wb::cli {

// The --password-stdin option, as the programs that open workbooks list it.
QCommandLineOption passwordStdinOption();

// The prompt for the opener: with fromStdin, the first line of standard input (read once;
// later calls give nothing); else, when standard input is a terminal, a line typed on it
// without echo, after a prompt that names the workbook. Throws wb::Error naming the
// workbook when neither can be had. The terminal's settings are restored after the line,
// on an error, and on a signal that ends the program meanwhile.
PasswordPrompt passwordPrompt(bool fromStdin);

} // namespace wb::cli
