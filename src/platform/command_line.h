// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace quorvel::platform {

// The program's arguments as UTF-8, the program's name first. On Windows they are read from
// the wide command line: argv holds them in the ANSI code page, which may not hold a name.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Lets a console show the program's UTF-8 output (Windows; elsewhere it already does).
void useUtf8Console();

}  // namespace quorvel::platform
