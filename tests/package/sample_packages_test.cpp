// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "package_test_util.h"
#include "support/test_data.h"

namespace quorvel::package::testing {
namespace {

// Packages written by office suites and libraries (tests/data/README.md), with the part
// that holds their properties.
const struct {
    const char* file;
    const char* propertyPart;
} kSamples[] = {
    {"pydocx_coreprops.docx", "docProps/core.xml"},
    {"pydocx_no_coreprops.docx", "docProps/app.xml"},
    {"pypptx_properties.pptx", "docProps/core.xml"},
    {"pypptx_embedded.xlsx", "docProps/core.xml"},
    {"odfpy_simpletable.odt", "meta.xml"},
    {"odfpy_pythagoras.ods", "meta.xml"},
    {"odfpy_ol.odp", "meta.xml"},
    {"lo_sample.odt", "meta.xml"},
    {"lo_sample.docx", "docProps/core.xml"},
    {"lo_sample.ods", "meta.xml"},
    {"lo_sample.xlsx", "docProps/core.xml"},
    {"lo_sample.pptx", "docProps/core.xml"},
    {"lo_sample.odp", "meta.xml"},
};

// Every entry of every sample reads with its checks passed; a rewrite that changes the
// property part keeps every other entry's stored bytes, name and place, and libzip reads
// the result with the new part.
TEST(SamplePackagesTest, ReadAndRewriteKeepEveryOtherEntry) {
    for (const auto& sample : kSamples) {
        SCOPED_TRACE(sample.file);
        const std::string bytes = readFile(quorvel::test::sampleDocument(sample.file).string());
        ASSERT_FALSE(bytes.empty()) << "sample missing: " << sample.file;
        const OpenedZip source(bytes);
        ASSERT_EQ(source.status, ZipStatus::Ok);
        std::map<std::string, std::string> expected;
        for (const std::string& name : source.package->entryNames()) {
            ASSERT_EQ(source.package->read(name, expected[name], 64u << 20), EntryRead::Ok) << name;
        }
        expected[sample.propertyPart] = "<changed/>";

        StringSink sink;
        ASSERT_TRUE(writeZipPackage(*source.package, {{sample.propertyPart, "<changed/>"}}, sink));
        const OpenedZip written(sink.bytes);
        ASSERT_EQ(written.status, ZipStatus::Ok);
        EXPECT_EQ(written.package->entryNames(), source.package->entryNames());
        for (const std::string& name : source.package->entryNames()) {
            if (name != sample.propertyPart) {
                EXPECT_EQ(storedBytes(*written.package, name), storedBytes(*source.package, name))
                    << name;
            }
        }
        EXPECT_EQ(readWithLibzip(sink.bytes), expected);
    }
}

}  // namespace
}  // namespace quorvel::package::testing
