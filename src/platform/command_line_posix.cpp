// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/command_line.h"

namespace quorvel::platform {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void useUtf8Console() {}

}  // namespace quorvel::platform
