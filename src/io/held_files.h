// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <compare>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

#include "platform/file_identity.h"

namespace quorvel::io {

// The files that FileDevices of this process hold. Reads on several threads may meet on one
// file (listed twice, or under two names): the later one waits for the earlier one to end,
// as in a loop, instead of failing on its lock. On one thread a second open is refused like
// any other holder's.
class HeldFiles {
  public:
    // False when this thread holds the file already. Otherwise waits until no other thread
    // does and takes it; `waited` tells whether it had to wait.
    bool take(platform::FileIdentity key, bool& waited);
    void release(platform::FileIdentity key);

  private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    std::map<platform::FileIdentity, std::thread::id> m_holders;
};

HeldFiles& heldFiles();

// Gives a file taken from heldFiles() back when it goes.
class HeldFile {
  public:
    explicit HeldFile(platform::FileIdentity key) : m_key(key) {}
    ~HeldFile() { heldFiles().release(m_key); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

  private:
    platform::FileIdentity m_key;
};

}  // namespace quorvel::io
