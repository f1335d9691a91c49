// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "props/property_record.h"

namespace quorvel::props {

enum class DocumentKind : std::uint8_t { Unknown, Compound, Package, Pdf };

// What a read learns of the document besides its properties.
struct DocumentFacts {
    DocumentKind kind = DocumentKind::Unknown;
    std::string producer;  // a PDF's /Producer (UTF-8); empty elsewhere
};

// The catalogue rows a PDF has a place for: title, subject, author, keywords, the two dates,
// the page count, the creating application and the company. The others stay empty there.
inline constexpr std::array<std::size_t, 9> kPdfCatalogueRows = {
    0, 1, 2, 3, 10, 11, 12, 16, kSummaryBlockSize + 13};

constexpr bool pdfHoldsRow(std::size_t row) {
    for (const std::size_t held : kPdfCatalogueRows) {
        if (held == row) {
            return true;
        }
    }
    return false;
}

// Whether a document of this kind has a place for the row; every row but a PDF's missing ones.
constexpr bool kindHoldsRow(DocumentKind kind, std::size_t row) {
    return kind != DocumentKind::Pdf || pdfHoldsRow(row);
}

}  // namespace quorvel::props
