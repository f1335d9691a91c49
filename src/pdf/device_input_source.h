// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <qpdf/InputSource.hh>

#include <string>

#include "io/block_device.h"

namespace quorvel::pdf {

// The PDF parser's view of a document: every read goes to the device the door opened (and
// its block cache), never to a second open of the file. The device must outlive the source.
// The document is the device's first length bytes (a torn update after them is left out).
class DeviceInputSource final : public InputSource {
  public:
    DeviceInputSource(io::BlockDevice& device, std::uint64_t length);

    qpdf_offset_t findAndSkipNextEOL() override;
    std::string const& getName() const override { return m_name; }
    qpdf_offset_t tell() override { return m_position; }
    // Throws std::runtime_error for a position before the start, as the parser expects.
    void seek(qpdf_offset_t offset, int whence) override;
    void rewind() override { m_position = 0; }
    // Reads up to length bytes; fewer at the end; throws when the device fails.
    size_t read(char* out, size_t length) override;
    void unreadCh(char ch) override;

  private:
    io::BlockDevice& m_device;
    qpdf_offset_t m_size;
    qpdf_offset_t m_position = 0;
    std::string m_name = "document";
};

}  // namespace quorvel::pdf
