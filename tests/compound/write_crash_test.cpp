// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "compound/compound_properties.h"
#include "compound_document.h"

namespace quorvel::compound {
namespace {

using namespace testing;

// A device that stops after a number of writes, as a crash or power cut would: every
// later write and sync fails and changes nothing.
class StoppingDevice final : public io::BlockDevice {
  public:
    StoppingDevice(Bytes bytes, std::size_t allowedWrites)
        : m_inner(std::move(bytes)), m_allowed(allowedWrites) {}
    bool readAt(std::uint64_t offset, std::span<std::byte> out) override {
        return m_inner.readAt(offset, out);
    }
    bool writeAt(std::uint64_t offset, std::span<const std::byte> data) override {
        if (m_writes == m_allowed) {
            return false;
        }
        ++m_writes;
        return m_inner.writeAt(offset, data);
    }
    bool sync() override { return m_writes < m_allowed; }
    std::uint64_t size() const override { return m_inner.size(); }

    const Bytes& bytes() const { return m_inner.bytes(); }
    std::size_t writes() const { return m_writes; }

  private:
    io::MemoryDevice m_inner;
    std::size_t m_allowed;
    std::size_t m_writes = 0;
};

struct Outcome {
    MessageCode code;
    DocProperties props;
    CustomProperties custom;
};

Outcome readBack(const Bytes& bytes) {
    io::MemoryDevice device(bytes);
    std::unique_ptr<storage::CompoundFile> file;
    Outcome outcome{openCompoundFile(device, file), {}, {}};
    if (outcome.code == kSuccess) {
        outcome.code = readDocProperties(*file, outcome.props, &outcome.custom);
    }
    return outcome;
}

std::size_t writeStopping(StoppingDevice& device, const PropertyWriteRequest& request,
                          bool create) {
    std::unique_ptr<storage::CompoundFile> file;
    if (openCompoundFile(device, file) == kSuccess) {
        writeDocProperties(*file, request, create);
    }
    return device.writes();
}

bool sameEntries(const DocProperties& a, std::size_t aFrom, const DocProperties& b,
                 std::size_t bFrom) {
    const std::size_t aCount = a.size() > aFrom ? a.size() - aFrom : 0;
    const std::size_t bCount = b.size() > bFrom ? b.size() - bFrom : 0;
    if (aCount != bCount) {
        return false;
    }
    for (std::size_t i = 0; i < aCount; ++i) {
        const PropertyEntry& x = a[aFrom + i];
        const PropertyEntry& y = b[bFrom + i];
        if (x.text != y.text || x.isTime != y.isTime || x.time != y.time) {
            return false;
        }
    }
    return true;
}

// Each set reads as it was before or as it is after the complete write.
bool oldOrNew(const Outcome& result, const Outcome& before, const Outcome& after) {
    if (result.code != kSuccess && result.code != before.code) {
        return false;
    }
    auto summary = [](const DocProperties& p) {
        return DocProperties(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(
                                                        std::min(p.size(), kSummaryBlockSize)));
    };
    const bool summaryOk = sameEntries(summary(result.props), 0, summary(before.props), 0) ||
                           sameEntries(summary(result.props), 0, summary(after.props), 0);
    const bool docSummaryOk =
        sameEntries(result.props, kSummaryBlockSize, before.props, kSummaryBlockSize) ||
        sameEntries(result.props, kSummaryBlockSize, after.props, kSummaryBlockSize);
    const bool customOk =
        result.custom.items == before.custom.items || result.custom.items == after.custom.items;
    return summaryOk && docSummaryOk && customOk;
}

TEST(WriteCrash, EveryStopLeavesTheOldOrTheNewProperties) {
    const Bytes small = summaryStream({{1, i2(1252)}, {2, string("Old")}, {12, fileTime(5)}});
    const Bytes docSummary =
        stream({{FMTID_DocSummaryInformation, section({{1, i2(1252)}, {15, string("Co")}})}});
    const Bytes large = summaryStream({{1, i2(1252)}, {2, string(std::string(6000, 'L'))}});
    const Bytes regular(9000, std::byte{0x5A});
    const Bytes mini(100, std::byte{0xA5});
    struct Case {
        const char* what;
        Bytes document;
        PropertyWriteRequest request;
        bool create;
    };
    PropertyWriteRequest grow;
    grow.fields[0] = {std::string(1500, 'G'), 1};
    grow.fields[10] = {"New company", 1};
    grow.dates = {{0, 0, 77, 0}};
    PropertyWriteRequest crossCutoff;
    crossCutoff.fields[0] = {std::string(5000, 'C'), 1};
    PropertyWriteRequest shrink;
    shrink.fields[0] = {"short", 1};
    PropertyWriteRequest create;
    create.fields[0] = {"作成", 1};
    create.fields[9] = {"分類", 1};
    PropertyWriteRequest firstCustom;
    firstCustom.writeDocSummary = false;
    firstCustom.customEdits = {{"DocNo", CustomType::Text, "QV-001"},
                               {"Count", CustomType::Integer, "3"}};
    const Case cases[] = {
        {"adding the first user-defined property",
         compoundFileWith({{u"Data", regular},
                           {kSummaryName, small},
                           {kDocSummaryName, docSummary},
                           {u"Mini", mini}}),
         firstCustom, false},
        {"creating the second set for it",
         compoundFileWith({{u"Data", regular}, {kSummaryName, small}, {u"Mini", mini}}),
         firstCustom, true},
        {"growing a set",
         compoundFileWith({{u"Data", regular},
                           {kSummaryName, small},
                           {kDocSummaryName, docSummary},
                           {u"Mini", mini}}),
         grow, false},
        {"crossing the mini-stream cutoff",
         compoundFileWith({{u"Data", regular}, {kSummaryName, small}, {u"Mini", mini}}),
         crossCutoff, false},
        {"shrinking below the cutoff",
         compoundFileWith({{u"Data", regular}, {kSummaryName, large}, {u"Mini", mini}}), shrink,
         false},
        {"creating the sets", compoundFileWith({{u"Data", regular}, {u"Mini", mini}}), create,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.document.empty());
        StoppingDevice complete(c.document, SIZE_MAX);
        const std::size_t writes = writeStopping(complete, c.request, c.create);
        const Outcome before = readBack(c.document);
        const Outcome after = readBack(complete.bytes());
        ASSERT_GT(writes, 0u);
        ASSERT_EQ(after.code, kSuccess);
        ASSERT_TRUE(!sameEntries(before.props, 0, after.props, 0) ||
                    before.custom.items != after.custom.items);
        const StreamMap others = [&] {
            io::MemoryDevice device(c.document);
            StreamMap s = streamsOf(device);
            s.erase(u"/" + kSummaryName);
            s.erase(u"/" + kDocSummaryName);
            return s;
        }();
        for (std::size_t k = 0; k < writes; ++k) {
            StoppingDevice stopped(c.document, k);
            writeStopping(stopped, c.request, c.create);
            EXPECT_TRUE(oldOrNew(readBack(stopped.bytes()), before, after))
                << "stopped after write " << k;
            io::MemoryDevice device(stopped.bytes());
            StreamMap streams = streamsOf(device);
            streams.erase(u"/" + kSummaryName);
            streams.erase(u"/" + kDocSummaryName);
            EXPECT_EQ(streams, others) << "stopped after write " << k;
        }
    }
}

}  // namespace
}  // namespace quorvel::compound
