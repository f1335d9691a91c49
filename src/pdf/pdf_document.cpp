// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/pdf_document.h"

#include <qpdf/Pipeline.hh>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "pdf/device_input_source.h"

namespace quorvel::pdf {
namespace {

// XMP packets hold a few kilobytes; a stream that inflates beyond this is no packet.
constexpr std::size_t kMaxXmpBytes = 4 * 1024 * 1024;

constexpr std::array<std::string_view, 2> kFormatInfoKeys = {"/Producer", "/Trapped"};

// Collects a stream's decoded bytes, and stops a stream that would inflate beyond the limit.
class BoundedSink final : public Pipeline {
  public:
    explicit BoundedSink(std::string& out) : Pipeline("metadata", nullptr), m_out(out) {}
    void write(unsigned char const* data, size_t length) override {
        if (length > kMaxXmpBytes - m_out.size()) {
            throw std::length_error("metadata stream too large");
        }
        m_out.append(reinterpret_cast<const char*>(data), length);
    }
    void finish() override {}

  private:
    std::string& m_out;
};

}  // namespace

bool isFieldOrFormatKey(std::string_view key) {
    return std::any_of(kFieldSources.begin(), kFieldSources.end(),
                       [&](const FieldSource& source) { return source.infoKey == key; }) ||
           std::find(kFormatInfoKeys.begin(), kFormatInfoKeys.end(), key) != kFormatInfoKeys.end();
}

bool openPdf(QPDF& pdf, io::BlockDevice& device, std::uint64_t length) {
    try {
        pdf.setSuppressWarnings(true);
        pdf.processInputSource(std::make_shared<DeviceInputSource>(device, length), "");
        return true;
    } catch (...) {
        return false;
    }
}

std::string metadataPacket(QPDF& pdf) {
    QPDFObjectHandle metadata = pdf.getRoot().getKey("/Metadata");
    std::string packet;
    BoundedSink sink(packet);
    bool filtered = false;
    if (!metadata.isStream() ||
        !metadata.pipeStreamData(&sink, &filtered, 0, qpdf_dl_generalized, true)) {
        packet.clear();
    }
    return packet;
}

std::optional<std::string> infoText(QPDFObjectHandle info, std::string_view key) {
    QPDFObjectHandle value = info.getKey(std::string(key));
    return value.isString() ? std::optional(value.getUTF8Value()) : std::nullopt;
}

}  // namespace quorvel::pdf
