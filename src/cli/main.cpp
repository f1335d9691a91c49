// SPDX-License-Identifier: GPL-3.0-or-later
// quorvel-cli: reads and changes the document properties of compound documents and of
// Office Open XML and OpenDocument packages from the command line. Each subcommand lives in its own
// file; add it to kCommands.
#include <array>
#include <iostream>
#include <string_view>

#include "cli/command.h"
#include "platform/command_line.h"

namespace {

using quorvel::cli::Arguments;

struct Command {
    std::string_view name;
    std::string_view summary;
    int (*run)(const Arguments& args, std::ostream& out, std::ostream& err);
};

constexpr std::array kCommands = {
    Command{"read", "read [--json] [-j N] FILE...  show the document properties (read --help)",
            quorvel::cli::runRead},
    Command{"write", "write [options] FILE...  change document properties (write --help)",
            quorvel::cli::runWrite},
    Command{"export",
            "export [-j N] [--encoding cp932|utf-8] --out FILE.csv FILE...  save the\n"
            "      properties as CSV (export --help)",
            quorvel::cli::runExport},
    Command{"apply",
            "apply [--dry-run] [--json] [--encoding auto|cp932|utf-8] FILE.csv  write each\n"
            "      file's values from a CSV with the export's columns (apply --help)",
            quorvel::cli::runApply},
    Command{"undo",
            "undo [--list] [--dry-run] [--force] [--json] [RUN]  write back the values a\n"
            "      recorded run changed (undo --help)",
            quorvel::cli::runUndo},
};

void printUsage(std::ostream& out) {
    out << "usage: quorvel-cli COMMAND [arguments]\n";
    for (const Command& command : kCommands) {
        out << "  quorvel-cli " << command.summary << '\n';
    }
}

}  // namespace

int main(int argc, char** argv) {
    quorvel::platform::useUtf8Console();
    const Arguments arguments = quorvel::platform::commandLineArguments(argc, argv);
    const std::string_view name = arguments.size() > 1 ? std::string_view(arguments[1]) : "";
    if (name == "--help" || name == "-h") {
        printUsage(std::cout);
        return quorvel::cli::kExitOk;
    }
    for (const Command& command : kCommands) {
        if (command.name == name) {
            return command.run(Arguments(arguments.begin() + 2, arguments.end()), std::cout,
                               std::cerr);
        }
    }
    std::cerr << (name.empty() ? "quorvel-cli: no command given\n"
                               : "quorvel-cli: unknown command " + std::string(name) + "\n");
    printUsage(std::cerr);
    return quorvel::cli::kExitUsage;
}
