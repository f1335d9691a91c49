// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/held_files.h"

namespace quorvel::io {

bool HeldFiles::take(platform::FileIdentity key, bool& waited) {
    std::unique_lock lock(m_mutex);
    waited = false;
    for (auto held = m_holders.find(key); held != m_holders.end(); held = m_holders.find(key)) {
        if (held->second == std::this_thread::get_id()) {
            return false;
        }
        waited = true;
        m_released.wait(lock);
    }
    m_holders.emplace(key, std::this_thread::get_id());
    return true;
}

void HeldFiles::release(platform::FileIdentity key) {
    const std::lock_guard lock(m_mutex);
    m_holders.erase(key);
    m_released.notify_all();
}

HeldFiles& heldFiles() {
    static HeldFiles files;
    return files;
}

}  // namespace quorvel::io
