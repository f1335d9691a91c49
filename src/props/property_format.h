// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "props/property_value.h"

namespace quorvel::props {

// The display text of a property value (UTF-8); replaces what text held.
void FormatPropertyValue(const PropertyValue& value, std::string& text);

}  // namespace quorvel::props
