// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <qpdf/QPDFObjectHandle.hh>

#include <string>
#include <string_view>

namespace quorvel::pdf {

// A string object in hexadecimal form: "<FEFF30C6>".
std::string hexString(std::string_view bytes);

// The object as PDF syntax for an update: objects below the top that are indirect as their
// references, strings in hexadecimal, so that the text holds no "%" (names escape it as
// #25). Throws std::runtime_error for a stream, for objects nested deeper than a dictionary
// of document information ever is, and for what no dictionary holds.
std::string objectText(QPDFObjectHandle object);

// "12 0 R".
std::string referenceText(QPDFObjGen object);

}  // namespace quorvel::pdf
