// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/package_file.h"

#include "io/replacement_file.h"

namespace quorvel::package {
namespace {

// The temporary file of the replacement.
class FileSink final : public PackageSink {
  public:
    explicit FileSink(io::ReplacementFile& file) : m_file(file) {}
    bool append(std::span<const std::byte> data) override { return m_file.append(data); }
    bool sync() override { return m_file.sync(); }

  private:
    io::ReplacementFile& m_file;
};

bool writeContent(io::ReplacementFile& replacement, const ContentWriter& write,
                  const SinkWrapper& wrap) {
    FileSink file(replacement);
    if (!wrap) {
        return write(file);
    }
    const std::unique_ptr<PackageSink> wrapped = wrap(file);
    return write(*wrapped);
}

}  // namespace

ReplaceStatus replaceFile(const std::string& path, const ContentWriter& write,
                          const SinkWrapper& wrap) {
    std::unique_ptr<io::ReplacementFile> replacement;
    switch (io::ReplacementFile::begin(path, replacement)) {
        case io::ReplacementFile::Status::Ok:
            break;
        case io::ReplacementFile::Status::Refused:
            return ReplaceStatus::Refused;
        case io::ReplacementFile::Status::Failed:
            return ReplaceStatus::Failed;
    }
    const bool written = writeContent(*replacement, write, wrap);
    return written && replacement->commit() ? ReplaceStatus::Ok : ReplaceStatus::Failed;
}

}  // namespace quorvel::package
