// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::csv {

// How the bytes of a CSV file to read are encoded.
enum class CsvInputEncoding { Auto, Cp932, Utf8 };

// One record of a CSV file, with the line it starts on (from 1).
struct CsvRecord {
    std::size_t line = 0;
    std::vector<std::string> fields;
};

// Where and why a CSV file could not be read: the line (from 1; 0 for the file as a whole)
// and a message in the program's words.
struct CsvError {
    std::size_t line = 0;
    std::string message;
};

// The file's text as UTF-8. Auto: a byte-order mark means UTF-8 (dropped), otherwise valid
// UTF-8 is UTF-8, otherwise code page 932. False when the bytes are not text of the encoding.
bool decodeCsvText(std::string_view bytes, CsvInputEncoding encoding, std::string& utf8,
                   CsvError& error);

// Splits text into records as RFC 4180 has them: fields separated by commas, a field in double
// quotes may hold commas, line breaks and doubled quotes; lines end with LF or CRLF. Empty lines
// are skipped. False on a quote that is never closed or text after a closing quote.
bool parseCsvRecords(std::string_view text, std::vector<CsvRecord>& records, CsvError& error);

}  // namespace quorvel::csv
