// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

namespace quorvel::test {

// Whether this system lets the tests make symbolic links: Windows asks for a privilege or
// developer mode, and Wine makes none at all.
inline bool canMakeSymbolicLinks() {
    static const bool can = [] {
        const std::filesystem::path folder = std::filesystem::temp_directory_path();
        const std::filesystem::path link = folder / "quorvel-link-probe";
        std::error_code error;
        std::filesystem::remove(link, error);
        std::filesystem::create_directory_symlink(folder, link, error);
        const bool made = !error;
        std::filesystem::remove(link, error);
        return made;
    }();
    return can;
}

// Tests that make symbolic links begin with this.
#define QUORVEL_SKIP_WITHOUT_SYMBOLIC_LINKS()                                        \
    do {                                                                             \
        if (!::quorvel::test::canMakeSymbolicLinks()) {                              \
            GTEST_SKIP() << "this system does not let the test make symbolic links"; \
        }                                                                            \
    } while (false)

}  // namespace quorvel::test
