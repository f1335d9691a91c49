// SPDX-License-Identifier: GPL-3.0-or-later
#include "compound/compound_properties.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "compound/custom_section.h"
#include "compound/property_set.h"
#include "props/property_format.h"

namespace quorvel::compound {

using namespace props;

namespace {

using storage::CompoundFile;
using storage::EntryId;
using storage::EntryType;
using storage::Status;

// Property sets are small; a longer stream is not one we should hold in memory.
constexpr std::uint64_t kMaxSetBytes = 64u << 20;
constexpr std::uint32_t kFirstPropertyId = 2;  // catalogue slot 0

struct SetKind {
    std::u16string_view streamName;
    const Fmtid& fmtid;
    std::size_t blockSize;
    MessageCode missing;
    MessageCode readFailed;
    MessageCode writeFailed;
};

const SetKind kSummary{u"\u0005SummaryInformation", FMTID_SummaryInformation,
                       kSummaryBlockSize,           kNoSummary,
                       kSummaryReadFailed,          kSummaryWriteFailed};
const SetKind kDocSummary{u"\u0005DocumentSummaryInformation",
                          FMTID_DocSummaryInformation,
                          kDocSummaryBlockSize,
                          kNoDocSummary,
                          kDocSummaryReadFailed,
                          kDocSummaryWriteFailed};

enum class SetLoad { Loaded, Missing, CannotOpen, Unreadable };

// The stream that holds a set: the named stream itself, or the CONTENTS stream of a
// storage of that name (a set stored as a storage).
SetLoad locateSet(const CompoundFile& file, std::u16string_view name, EntryId& stream) {
    EntryId entry = 0;
    const Status status = file.findChild(storage::kRootEntry, name, entry);
    if (status == Status::NoSuchEntry) {
        return SetLoad::Missing;
    }
    if (status != Status::Ok) {
        return SetLoad::CannotOpen;
    }
    if (file.entryType(entry) == EntryType::Stream) {
        stream = entry;
        return SetLoad::Loaded;
    }
    if (file.entryType(entry) == EntryType::Storage &&
        file.findChild(entry, u"CONTENTS", stream) == Status::Ok &&
        file.entryType(stream) == EntryType::Stream) {
        return SetLoad::Loaded;
    }
    return SetLoad::CannotOpen;
}

SetLoad loadOutcome(SetParseStatus status) {
    switch (status) {
        case SetParseStatus::Ok:
            return SetLoad::Loaded;
        case SetParseStatus::BadSection:
            return SetLoad::Unreadable;
        default:
            return SetLoad::CannotOpen;
    }
}

SetLoad loadSet(const CompoundFile& file, const SetKind& kind, EntryId& stream,
                PropertySetStream& set) {
    const SetLoad located = locateSet(file, kind.streamName, stream);
    if (located != SetLoad::Loaded) {
        return located;
    }
    std::vector<std::byte> bytes;
    if (file.readStream(stream, bytes, kMaxSetBytes) != Status::Ok) {
        return SetLoad::CannotOpen;
    }
    return loadOutcome(PropertySetStream::parse(std::move(bytes), kind.fmtid, set));
}

// Reads a set for showing: only the values shown, never a thumbnail; userDefined, when given,
// the whole user-defined section too.
SetLoad readShownSet(const CompoundFile& file, const SetKind& kind, PropertySection& section,
                     UserDefinedRead* userDefined = nullptr) {
    EntryId stream = 0;
    const SetLoad located = locateSet(file, kind.streamName, stream);
    if (located != SetLoad::Loaded) {
        return located;
    }
    const std::uint64_t size = file.entrySize(stream);
    if (size > kMaxSetBytes) {
        return SetLoad::CannotOpen;
    }
    const StreamReader read = [&](std::uint64_t offset, std::span<std::byte> out) {
        return file.readStreamAt(stream, offset, out) == Status::Ok;
    };
    return loadOutcome(readShownSection(read, size, kind.fmtid, kFirstPropertyId, kind.blockSize,
                                        section, userDefined));
}

void appendEntries(const PropertySection& section, std::size_t blockSize, DocProperties& props) {
    for (std::size_t slot = 0; slot < blockSize; ++slot) {
        const PropertyValue value =
            section.value(kFirstPropertyId + static_cast<std::uint32_t>(slot));
        PropertyEntry entry;
        FormatPropertyValue(value, entry.text);
        entry.isTime = value.type == VT_FILETIME;
        entry.time = entry.isTime ? value.fileTime : 0;
        props.push_back(std::move(entry));
    }
}

// The text fields [first, end) of the request and, for SummaryInformation, its dates.
struct SetChanges {
    std::size_t firstField;
    std::size_t endField;
    bool withDates;
};

bool applyChanges(const PropertyWriteRequest& request, const SetChanges& changes,
                  PropertySection& section) {
    for (std::size_t i = changes.firstField; i < changes.endField; ++i) {
        const TextFieldEdit& field = request.fields[i];
        if (field.change == 1 &&
            !section.setText(kFirstPropertyId + TextFieldSlots[i], field.text)) {
            return false;
        }
    }
    if (changes.withDates && request.dates) {
        const std::size_t count = std::min<std::size_t>(request.dateCount, kDateCount);
        for (std::size_t i = 0; i < count; ++i) {
            if ((*request.dates)[i] != 0) {
                const auto id = static_cast<std::uint32_t>(kFirstPropertyId + kFirstDateIndex + i);
                section.replaceFileTime(id, (*request.dates)[i]);
            }
        }
    }
    return true;
}

// The user-defined section's edits, for the stream of the second set: a missing section is
// added when an edit sets a property.
MessageCode applyCustomChanges(const SetKind& kind, const std::vector<CustomEdit>& edits,
                               PropertySetStream& set) {
    if (edits.empty()) {
        return kSuccess;
    }
    if (set.parseUserDefined() != SetParseStatus::Ok) {
        return kind.readFailed;
    }
    const bool setsAny =
        std::any_of(edits.begin(), edits.end(), [](const CustomEdit& e) { return !e.remove; });
    if (set.userDefined() == nullptr && !setsAny) {
        return kSuccess;
    }
    switch (applyCustomEdits(set.addUserDefined(), edits)) {
        case CustomEditOutcome::Applied:
            return kSuccess;
        case CustomEditOutcome::Damaged:
            return kind.readFailed;
        default:
            return kind.writeFailed;
    }
}

MessageCode writeSet(CompoundFile& file, const SetKind& kind, const PropertyWriteRequest& request,
                     const SetChanges& changes, bool createMissing,
                     const std::vector<CustomEdit>& customEdits = {}) {
    EntryId stream = 0;
    PropertySetStream set;
    const SetLoad load = loadSet(file, kind, stream, set);
    if (load == SetLoad::Unreadable) {
        return kind.readFailed;
    }
    if (load == SetLoad::CannotOpen || (load == SetLoad::Missing && !createMissing)) {
        return kind.missing;
    }
    if (load == SetLoad::Missing) {
        set = PropertySetStream::create(kind.fmtid, CP_WINUNICODE);
    }
    if (!applyChanges(request, changes, set.section())) {
        return kind.writeFailed;
    }
    const MessageCode custom = applyCustomChanges(kind, customEdits, set);
    if (custom != kSuccess) {
        return custom;
    }
    if (load == SetLoad::Missing) {
        return file.createStream(storage::kRootEntry, kind.streamName, set.serialize(), stream) ==
                       Status::Ok
                   ? kSuccess
                   : kind.missing;
    }
    if (!set.changed()) {
        return kSuccess;
    }
    if (!set.writable() || file.replaceStream(stream, set.serialize()) != Status::Ok) {
        return kind.writeFailed;
    }
    return kSuccess;
}

}  // namespace

MessageCode openCompoundFile(io::BlockDevice& device, std::unique_ptr<CompoundFile>& out) {
    switch (CompoundFile::open(device, out)) {
        case Status::Ok:
            return kSuccess;
        case Status::NotCompound:
            return kNotCompoundFile;
        default:
            return kCannotOpenDocument;
    }
}

MessageCode readDocProperties(const CompoundFile& file, DocProperties& props,
                              CustomProperties* custom) {
    props.clear();
    PropertySection section;
    switch (readShownSet(file, kSummary, section)) {
        case SetLoad::Loaded:
            break;
        case SetLoad::Unreadable:
            return kSummaryReadFailed;
        default:
            return kNoSummary;
    }
    appendEntries(section, kSummaryBlockSize, props);
    // A missing or unreadable second set is not an error: the record keeps 18 entries.
    UserDefinedRead userDefined;
    if (readShownSet(file, kDocSummary, section, custom ? &userDefined : nullptr) ==
        SetLoad::Loaded) {
        appendEntries(section, kDocSummaryBlockSize, props);
        if (custom != nullptr && (userDefined.status != SetParseStatus::Ok ||
                                  !readCustomSection(userDefined.section, custom->items))) {
            custom->items.clear();
            custom->status = kDocSummaryReadFailed;
        }
    }
    return kSuccess;
}

MessageCode writeDocProperties(CompoundFile& file, const PropertyWriteRequest& request,
                               bool createMissing) {
    const std::size_t fieldCount = std::min<std::size_t>(request.fieldCount, kTextFieldCount);
    const std::size_t summaryFields = std::min<std::size_t>(request.summaryFieldCount, fieldCount);
    const MessageCode summary =
        writeSet(file, kSummary, request, {0, summaryFields, true}, createMissing);
    if (summary != kSuccess || (!request.writeDocSummary && request.customEdits.empty())) {
        return summary;
    }
    // Without writeDocSummary only the user-defined properties of the second set change.
    const SetChanges docSummary{summaryFields, request.writeDocSummary ? fieldCount : summaryFields,
                                false};
    return writeSet(file, kDocSummary, request, docSummary, createMissing, request.customEdits);
}

}  // namespace quorvel::compound
