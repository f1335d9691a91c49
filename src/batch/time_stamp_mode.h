// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quorvel::batch {

// The four file time-stamp choices of a batch change, in the order of their radio buttons.
enum class TimeStampMode {
    NoChange = 0,
    AlsoTimeStamps = 1,
    TimeStampsOnly = 2,
    KeepTimeStamps = 3
};

}  // namespace quorvel::batch
