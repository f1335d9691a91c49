// SPDX-License-Identifier: GPL-3.0-or-later
// Each storage's children form a binary search tree ordered by compareEntryNames.
#include <unordered_set>

#include "storage/directory.h"
#include "storage/entry_name.h"

namespace quorvel::storage::cfb {

Status Directory::storageChild(EntryId storage, EntryId& out) {
    DirEntry parent;
    if (const Status s = entry(storage, parent); s != Status::Ok) {
        return s;
    }
    if (parent.type == EntryType::Unused) {
        return Status::NoSuchEntry;
    }
    if (parent.type == EntryType::Stream) {
        return Status::NotAStream;
    }
    out = parent.child;
    return Status::Ok;
}

Status Directory::enterTreeNode(EntryId node, std::unordered_set<EntryId>& visited, DirEntry& out) {
    if (!visited.insert(node).second) {
        return Status::Damaged;
    }
    if (const Status s = entry(node, out); s != Status::Ok) {
        return s;
    }
    return out.type == EntryType::Unused ? Status::Damaged : Status::Ok;
}

Status Directory::findChild(EntryId storage, std::u16string_view name, EntryId& out) {
    EntryId node = kNoStream;
    if (const Status s = storageChild(storage, node); s != Status::Ok) {
        return s;
    }
    std::unordered_set<EntryId> visited = {kRootEntry, storage};
    while (node != kNoStream) {
        DirEntry current;
        if (const Status s = enterTreeNode(node, visited, current); s != Status::Ok) {
            return s;
        }
        const int order = compareEntryNames(name, current.name);
        if (order == 0) {
            out = node;
            return Status::Ok;
        }
        node = order < 0 ? current.left : current.right;
    }
    // Some writers order names with another case mapping; a full walk still finds them.
    std::vector<EntryId> children;
    if (const Status s = listChildren(storage, children); s != Status::Ok) {
        return s;
    }
    for (const EntryId child : children) {
        DirEntry candidate;
        if (entry(child, candidate) == Status::Ok && compareEntryNames(name, candidate.name) == 0) {
            out = child;
            return Status::Ok;
        }
    }
    return Status::NoSuchEntry;
}

Status Directory::listChildren(EntryId storage, std::vector<EntryId>& out) {
    out.clear();
    EntryId node = kNoStream;
    if (const Status s = storageChild(storage, node); s != Status::Ok) {
        return s;
    }
    // In-order walk with an explicit stack; a node met twice means a cycle.
    // The root and the storage itself can never be children: refusing them stops the
    // simplest cycles between levels.
    std::unordered_set<EntryId> visited = {kRootEntry, storage};
    std::vector<std::pair<EntryId, EntryId>> pending;  // node, its right sibling
    while (node != kNoStream || !pending.empty()) {
        while (node != kNoStream) {
            DirEntry current;
            if (const Status s = enterTreeNode(node, visited, current); s != Status::Ok) {
                return s;
            }
            pending.emplace_back(node, current.right);
            node = current.left;
        }
        out.push_back(pending.back().first);
        node = pending.back().second;
        pending.pop_back();
    }
    return Status::Ok;
}

// The new entry becomes a leaf. It is red under a black parent, which keeps a valid
// red-black tree valid; otherwise (tree root, red parent) it is black. Rebalancing
// would rewrite entries in several sectors, which cannot be one atomic switch, and
// readers only search the tree: MS-CFB 2.6.4 lets every node be black, and office
// suites read such plain binary search trees.
Status Directory::findInsertPoint(EntryId storage, std::u16string_view name, InsertPoint& out) {
    EntryId node = kNoStream;
    if (const Status s = storageChild(storage, node); s != Status::Ok) {
        return s;
    }
    out = InsertPoint{storage, Link::Child, DirEntry::kBlack};
    std::unordered_set<EntryId> visited = {kRootEntry, storage};
    while (node != kNoStream) {
        DirEntry current;
        if (!visited.insert(node).second) {
            return Status::Damaged;
        }
        if (const Status s = entry(node, current); s != Status::Ok) {
            return s;
        }
        const int order = compareEntryNames(name, current.name);
        if (current.type == EntryType::Unused || order == 0) {
            return Status::Damaged;
        }
        out.parent = node;
        out.link = order < 0 ? Link::Left : Link::Right;
        out.color = current.color == DirEntry::kBlack ? DirEntry::kRed : DirEntry::kBlack;
        node = order < 0 ? current.left : current.right;
    }
    return Status::Ok;
}

}  // namespace quorvel::storage::cfb
