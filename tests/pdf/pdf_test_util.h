// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "io/memory_device.h"

namespace quorvel::pdf {

inline io::MemoryDevice deviceOf(const std::string& bytes) {
    const auto* data = reinterpret_cast<const std::byte*>(bytes.data());
    return io::MemoryDevice(std::vector<std::byte>(data, data + bytes.size()));
}

inline std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A PDF with a classic cross-reference table; objects are numbered from 1 in order.
inline std::string buildPdf(const std::vector<std::string>& objects,
                            const std::string& trailerExtra = "") {
    std::string out = "%PDF-1.7\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R /Info 3 0 R " +
           trailerExtra + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

inline std::string streamObject(const std::string& data, const std::string& extra = "") {
    return "<< /Length " + std::to_string(data.size()) + " " + extra + " >>\nstream\n" + data +
           "\nendstream";
}

inline std::string textOf(const io::MemoryDevice& device) {
    const auto& bytes = device.bytes();
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace quorvel::pdf
