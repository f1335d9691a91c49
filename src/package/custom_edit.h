// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "package/xml_time.h"
#include "props/custom_property.h"

namespace quorvel::package {

// A user-defined property read from its stored text: canonical is the text's value as type,
// or nullopt when the text is none, which keeps the property as Other, read-only, showing
// the text. Reserved names are read-only too.
props::CustomProperty customPropertyOf(std::string name, props::CustomType type,
                                       std::optional<std::string> canonical,
                                       std::string_view stored);

// The canonical text of a stored date-time, read as UTC or local time when it has no zone;
// nullopt when it is none or its year has not four digits.
std::optional<std::string> customDateOf(std::string_view stored, ZonelessAs zoneless);

// The user-defined properties of a part, each with the element that holds it, open for
// changing. A format reads its elements into m_entries and says how values are stored.
class CustomPropertyEditor {
  public:
    virtual ~CustomPropertyEditor() = default;

    std::vector<props::CustomProperty> properties() const;
    // Makes the edits in order when every one can be made: a name and value XML can hold,
    // a value of its type, a target neither read-only nor reserved nor a fixed field.
    // Otherwise false, and nothing changes.
    bool applyEdits(const std::vector<props::CustomEdit>& edits);

  protected:
    struct Entry {
        props::CustomProperty property;
        pugi::xml_node element;
    };
    std::vector<Entry> m_entries;

  private:
    // Names the format keeps for its fixed fields, never changed as user-defined ones.
    virtual bool isFixedFieldName(std::string_view /*name*/) const { return false; }
    // A new, empty element for a property of that name.
    virtual pugi::xml_node newElement(std::string_view name) = 0;
    // Makes element hold value (canonical text) as type.
    virtual void storeValue(pugi::xml_node element, props::CustomType type,
                            std::string_view value) = 0;
    virtual void markChanged() = 0;

    bool accepts(const props::CustomEdit& edit) const;
    // The entry of that name (compared as office programs do); m_entries.size() when none.
    std::size_t indexOf(std::string_view name) const;
    void set(const props::CustomEdit& edit);
    void remove(std::string_view name);
};

}  // namespace quorvel::package
