// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/object_text.h"

#include <stdexcept>

namespace quorvel::pdf {
namespace {

constexpr int kDeepestNesting = 32;

void appendObject(std::string& out, QPDFObjectHandle object, int depth, bool top) {
    if (depth > kDeepestNesting) {
        throw std::runtime_error("object nested too deeply");
    }
    if (!top && object.isIndirect()) {
        out += referenceText(object.getObjGen());
    } else if (object.isString()) {
        out += hexString(object.getStringValue());
    } else if (object.isArray()) {
        out += '[';
        for (QPDFObjectHandle item : object.aitems()) {
            appendObject(out, item, depth + 1, false);
            out += ' ';
        }
        out += ']';
    } else if (object.isDictionary()) {
        out += "<<";
        for (auto& [key, value] : object.ditems()) {
            if (!value.isNull()) {
                out += QPDFObjectHandle::newName(key).unparse();
                out += ' ';
                appendObject(out, value, depth + 1, false);
            }
        }
        out += ">>";
    } else if (object.isNull() || object.isBool() || object.isInteger() || object.isReal() ||
               object.isName()) {
        out += object.unparse();
    } else {
        throw std::runtime_error("no dictionary holds this object");
    }
}

}  // namespace

std::string hexString(std::string_view bytes) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string text = "<";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text + '>';
}

std::string objectText(QPDFObjectHandle object) {
    std::string text;
    appendObject(text, object, 0, true);
    return text;
}

std::string referenceText(QPDFObjGen object) {
    return std::to_string(object.getObj()) + ' ' + std::to_string(object.getGen()) + " R";
}

}  // namespace quorvel::pdf
