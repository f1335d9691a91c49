// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "package/package_properties.h"

namespace quorvel::fuzz {

// A request that ticks every field, gives every date and edits user-defined properties of
// each type, so that a write walks all places.
inline props::PropertyWriteRequest everyFieldRequest() {
    props::PropertyWriteRequest request;
    for (auto& field : request.fields) {
        field = {"値, 二つ", 1};
    }
    request.dates = std::array<std::uint64_t, props::kDateCount>{
        36'000'000'000ULL, 132'000'000'000'000'000ULL, 131'000'000'000'000'000ULL,
        133'000'000'000'000'000ULL};
    using props::CustomType;
    request.customEdits = {
        {"a", CustomType::Text, "値"},         {"B", CustomType::Integer, "-7"},
        {"c", CustomType::Real, "2.5"},        {"d", CustomType::Bool, "true"},
        {"e", CustomType::Date, "2024-01-02"}, {"A", CustomType::Text, "", true}};
    return request;
}

// Reads the package (user-defined properties too) and plans a write with and without
// creating missing parts.
inline void readAndPlan(const package::PackageReader& package) {
    props::DocProperties props;
    props::CustomProperties custom;
    package::readPackageProperties(package, props, &custom);
    package::PackageChanges changes;
    const props::PropertyWriteRequest request = everyFieldRequest();
    package::planPackageWrite(package, request, false, changes);
    package::planPackageWrite(package, request, true, changes);
}

inline std::string bytesOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace quorvel::fuzz
