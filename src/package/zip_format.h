// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// Record layouts of the ZIP file format (PKWARE APPNOTE.TXT, sections 4.3 and 4.5).
namespace quorvel::package::zip {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;    // "PK\3\4"
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;  // "PK\1\2"
inline constexpr std::uint32_t kEndRecordSignature = 0x06054b50;      // "PK\5\6"
inline constexpr std::uint32_t kZip64EndRecordSignature = 0x06064b50;
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;

inline constexpr std::size_t kLocalHeaderSize = 30;     // fixed part, before name and extra
inline constexpr std::size_t kCentralHeaderSize = 46;   // fixed part, before name, extra, comment
inline constexpr std::size_t kEndRecordSize = 22;       // fixed part, before the comment
inline constexpr std::size_t kZip64EndRecordSize = 56;  // fixed part, before extensible data
inline constexpr std::size_t kZip64LocatorSize = 20;
inline constexpr std::size_t kMaxCommentSize = 0xFFFF;

// A 16/32-bit field holding this value says "the real value is in the ZIP64 extra field".
inline constexpr std::uint16_t kMax16 = 0xFFFF;
inline constexpr std::uint32_t kMax32 = 0xFFFFFFFF;
inline constexpr std::uint16_t kZip64ExtraId = 0x0001;

inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;  // crc and sizes follow the data
inline constexpr std::uint16_t kFlagUtf8Name = 0x0800;

inline constexpr std::uint16_t kMethodStored = 0;
inline constexpr std::uint16_t kMethodDeflated = 8;

inline constexpr std::uint16_t kVersionDeflate = 20;  // "version needed" for deflated entries
inline constexpr std::uint16_t kVersionZip64 = 45;
inline constexpr std::uint16_t kDosDate1980 = 0x0021;  // 1980-01-01, what office suites stamp

}  // namespace quorvel::package::zip
