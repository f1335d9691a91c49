// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/overlapped_writes.h"

namespace quorvel::platform {

unsigned defaultWriteThreads() {
    // Enough syncs waiting together to fill the journal commits; more only queue behind them.
    constexpr unsigned kWrites = 16;
    return kWrites;
}

}  // namespace quorvel::platform
