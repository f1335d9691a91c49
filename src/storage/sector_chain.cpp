// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/sector_chain.h"

#include <algorithm>

namespace quorvel::storage::cfb {
namespace {

// Runs kept at most; a chain in more pieces than that is checked with a set.
constexpr std::size_t kMostRuns = 16;

}  // namespace

bool SectorChain::firstVisit(SectorId sector) {
    if (m_seen.empty() && m_runs.size() < kMostRuns) {
        const auto after =
            std::upper_bound(m_runs.begin(), m_runs.end(), sector,
                             [](SectorId id, const Run& run) { return id < run.first; });
        const auto before = after == m_runs.begin() ? m_runs.end() : std::prev(after);
        if (before != m_runs.end() && sector < before->end) {
            return false;
        }
        if (before != m_runs.end() && sector == before->end) {
            ++before->end;
        } else {
            m_runs.insert(after, Run{sector, sector + 1});
        }
        return true;
    }
    if (m_seen.empty()) {
        m_seen.insert(m_sectors.begin(), m_sectors.end());
    }
    return m_seen.insert(sector).second;
}

Status SectorChain::step(AllocationTable& table, std::uint32_t idLimit, Step& result) {
    SectorId next = m_first;
    if (!m_sectors.empty()) {
        if (const Status s = table.get(m_sectors.back(), next); s != Status::Ok) {
            return s;
        }
    }
    if (next == kEndOfChain) {
        m_ended = true;
        result = Step::Ended;
        return Status::Ok;
    }
    if (next >= idLimit || !firstVisit(next)) {
        return Status::Damaged;
    }
    m_sectors.push_back(next);
    result = Step::Added;
    return Status::Ok;
}

Status SectorChain::sectorAt(std::uint32_t index, AllocationTable& table, std::uint32_t idLimit,
                             SectorId& out) {
    while (m_sectors.size() <= index) {
        Step result = Step::Ended;
        if (m_ended) {
            return Status::Damaged;
        }
        if (const Status s = step(table, idLimit, result); s != Status::Ok) {
            return s;
        }
    }
    out = m_sectors[index];
    return Status::Ok;
}

Status SectorChain::length(AllocationTable& table, std::uint32_t idLimit, std::uint32_t& out) {
    while (!m_ended) {
        Step result = Step::Ended;
        if (const Status s = step(table, idLimit, result); s != Status::Ok) {
            return s;
        }
    }
    out = static_cast<std::uint32_t>(m_sectors.size());
    return Status::Ok;
}

void SectorChain::append(SectorId sector) {
    if (m_sectors.empty()) {
        m_first = sector;
    }
    firstVisit(sector);  // a planned sector is new to the chain
    m_sectors.push_back(sector);
    m_ended = true;
}

}  // namespace quorvel::storage::cfb
