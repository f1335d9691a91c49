// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace quorvel::io {

// The temporary file of a replacement of the document called name: ".NAME.quorvel-" and six
// letters or digits.
std::string replacementPrefix(std::string_view name);
bool isReplacementOf(std::string_view entry, std::string_view name);

// Removes the temporary files that earlier replacements of target (a full path) left when they
// died before their swap. Only the caller, holding the document's lock, can be replacing it
// now, and it has not made its own file yet. Links, folders and other names stay.
void removeReplacementLeftovers(const std::string& target);

}  // namespace quorvel::io
