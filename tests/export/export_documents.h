// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_status.h"
#include "support/file_contents.h"
#include "support/temp_folder.h"
#include "support/test_data.h"
#include "support/utf8_path.h"

namespace quorvel::test {

// Documents for export tests: writable copies of sample documents in a scratch folder.
class ExportDocuments {
  public:
    // SummaryInformation and DocumentSummaryInformation, or SummaryInformation alone.
    std::string bothSets(const std::string& name) const {
        return copyOfSampleDocument("poi_TestShiftJIS.doc", m_folder / name);
    }
    std::string summaryOnly(const std::string& name) const {
        return copyOfSampleDocument("poi_WORKBOOK_in_capitals.xls", m_folder / name);
    }
    std::string notCompound(const std::string& name) const {
        std::ofstream(utf8Path(m_folder / name)) << "plain text";
        return m_folder / name;
    }
    std::string operator/(const std::string& name) const { return m_folder / name; }

    // Reading a document moves its access time. This puts fixed times on the file before an
    // export and returns them as the export will find them.
    static platform::FileTimes settleTimes(const std::string& path) {
        const std::int64_t now = std::time(nullptr);
        platform::SystemError error;
        EXPECT_TRUE(platform::setAccessAndModifyTimes(path, now - 3600, now - 7200, error));
        platform::FileStatus status;
        EXPECT_TRUE(platform::queryFileStatus(path, status));
        return status.times;
    }

    static std::string contents(const std::string& file) { return fileContents(utf8Path(file)); }

  private:
    TempFolder m_folder;
};

}  // namespace quorvel::test
