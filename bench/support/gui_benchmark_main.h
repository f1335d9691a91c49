// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <benchmark/benchmark.h>
#include <QApplication>
#include <filesystem>
#include <system_error>

namespace quorvel::bench {

// Runs the benchmarks of a program that needs widgets (offscreen unless told otherwise),
// then removes the scratch tree they worked on.
inline int runGuiBenchmarks(int argc, char** argv, const std::filesystem::path& scratch) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return 0;
}

}  // namespace quorvel::bench
