// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "support/utf8_path.h"

namespace quorvel::test {

// A sample document kept in tests/data (its README names where each one comes from).
inline std::filesystem::path sampleDocument(const std::string& name) {
    return utf8Path(QUORVEL_TEST_DATA_DIR) / utf8Path(name);
}

// Fails the running test for each sample that is missing. Called from SetUp, it stops the
// test before the sample is used.
inline void requireSampleDocuments(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        ASSERT_TRUE(std::filesystem::is_regular_file(sampleDocument(name)))
            << "missing sample document " << sampleDocument(name);
    }
}

// A writable copy of a sample at target (UTF-8). A copy that fails is a test failure naming
// the sample; the target is returned all the same.
inline std::string copyOfSampleDocument(const std::string& name, const std::string& target) {
    std::error_code error;
    if (!std::filesystem::copy_file(sampleDocument(name), utf8Path(target), error)) {
        ADD_FAILURE() << "cannot copy the sample document " << sampleDocument(name) << ": "
                      << error.message();
        return target;
    }
    std::filesystem::permissions(utf8Path(target), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, error);
    return target;
}

// The sweeps over the whole sample corpus run where the environment variable
// QUORVEL_CORPUS_DIR names its folder; without the variable they are skipped.
class CorpusSweep : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* folder = std::getenv("QUORVEL_CORPUS_DIR");
        if (folder == nullptr || *folder == '\0') {
            GTEST_SKIP() << "QUORVEL_CORPUS_DIR names no corpus folder";
        }
        m_corpus = folder;
        ASSERT_TRUE(std::filesystem::is_directory(m_corpus))
            << "QUORVEL_CORPUS_DIR is not a folder: " << m_corpus;
    }

    const std::filesystem::path& corpus() const { return m_corpus; }

  private:
    std::filesystem::path m_corpus;
};

}  // namespace quorvel::test
