// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace quorvel::cli {

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // some file gave an error
inline constexpr int kExitUsage = 2;   // the command line was wrong

// The arguments after the command's name.
using Arguments = std::vector<std::string>;

// Each command prints its results to out and its usage errors to err.
int runRead(const Arguments& args, std::ostream& out, std::ostream& err);
int runWrite(const Arguments& args, std::ostream& out, std::ostream& err);
int runExport(const Arguments& args, std::ostream& out, std::ostream& err);
int runApply(const Arguments& args, std::ostream& out, std::ostream& err);
int runUndo(const Arguments& args, std::ostream& out, std::ostream& err);

}  // namespace quorvel::cli
