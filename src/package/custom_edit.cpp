// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/custom_edit.h"

#include <algorithm>

#include "package/xml_part.h"

namespace quorvel::package {

props::CustomProperty customPropertyOf(std::string name, props::CustomType type,
                                       std::optional<std::string> canonical,
                                       std::string_view stored) {
    props::CustomProperty property;
    property.readOnly = props::isReservedCustomName(name);
    property.name = std::move(name);
    if (canonical && type != props::CustomType::Other) {
        property.type = type;
        property.value = std::move(*canonical);
    } else {
        property.type = props::CustomType::Other;
        property.value = stored;
        property.readOnly = true;
    }
    return property;
}

std::optional<std::string> customDateOf(std::string_view stored, ZonelessAs zoneless) {
    const std::optional<DateTimeText> parsed = parseDateTime(trimXmlSpace(stored));
    const std::optional<FileTime> moment = parsed ? momentOf(*parsed, zoneless) : std::nullopt;
    return moment && w3cdtfText(*moment) ? std::optional(props::customDateText(*moment))
                                         : std::nullopt;
}

std::vector<props::CustomProperty> CustomPropertyEditor::properties() const {
    std::vector<props::CustomProperty> items;
    for (const Entry& entry : m_entries) {
        items.push_back(entry.property);
    }
    return items;
}

bool CustomPropertyEditor::applyEdits(const std::vector<props::CustomEdit>& edits) {
    if (!std::all_of(edits.begin(), edits.end(),
                     [&](const props::CustomEdit& edit) { return accepts(edit); })) {
        return false;
    }
    for (const props::CustomEdit& edit : edits) {
        if (edit.remove) {
            remove(edit.name);
        } else {
            set(edit);
        }
    }
    return true;
}

// What an earlier edit adds is never read-only, so checking against the part as read
// answers for the edits in order.
bool CustomPropertyEditor::accepts(const props::CustomEdit& edit) const {
    if (edit.name.empty() || !isStorableText(edit.name) || props::isReservedCustomName(edit.name) ||
        isFixedFieldName(edit.name)) {
        return false;
    }
    const std::size_t existing = indexOf(edit.name);
    if (existing < m_entries.size() && m_entries[existing].property.readOnly) {
        return false;
    }
    if (edit.remove) {
        return true;
    }
    const std::optional<std::string> value = props::canonicalCustomValue(edit.type, edit.value);
    return value && isStorableText(*value);
}

std::size_t CustomPropertyEditor::indexOf(std::string_view name) const {
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        return props::sameCustomName(entry.property.name, name);
    });
    return static_cast<std::size_t>(found - m_entries.begin());
}

void CustomPropertyEditor::set(const props::CustomEdit& edit) {
    const std::string value = *props::canonicalCustomValue(edit.type, edit.value);
    const std::size_t at = indexOf(edit.name);
    if (at == m_entries.size()) {
        m_entries.push_back({{edit.name, edit.type, {}, false}, newElement(edit.name)});
    } else if (m_entries[at].property.type == edit.type && m_entries[at].property.value == value) {
        return;
    }
    Entry& entry = m_entries[at];
    storeValue(entry.element, edit.type, value);
    entry.property.type = edit.type;
    entry.property.value = value;
    markChanged();
}

void CustomPropertyEditor::remove(std::string_view name) {
    const std::size_t at = indexOf(name);
    if (at == m_entries.size()) {
        return;
    }
    m_entries[at].element.parent().remove_child(m_entries[at].element);
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(at));
    markChanged();
}

}  // namespace quorvel::package
