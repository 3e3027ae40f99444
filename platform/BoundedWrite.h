#pragma once

// The one loop that hands bytes to a printer's descriptor under the
// no-progress bound: while the device takes nothing it is waited for, as
// long as the bound; each byte it takes starts the bound again. Serial
// lines, network printers, parallel ports and files all write through it.

#include "platform/NoProgressClock.h"

#include <sys/types.h>

#include <cstddef>
#include <string_view>

namespace zev {

enum class TWriteResult
{
    Written,
    TimedOut, // the device took nothing for as long as the bound
    Failed,   // a system error, kept in `error`
    Stopped,  // the person asked the work to stop
};

// The device's failure, as against the person's stop.
constexpr bool IsFailure(TWriteResult result)
{
    return result == TWriteResult::TimedOut || result == TWriteResult::Failed;
}

struct TBoundedWrite
{
    TWriteResult result = TWriteResult::Written;
    int error = 0;         // the system's reason when Failed
    std::size_t taken = 0; // bytes the device took, whatever the result
};

// One attempt to hand bytes over; write(2) when none is given.
using TPutBytes = ssize_t (*)(int fd, const char* data, std::size_t size);

// `fd` is non-blocking, or a device that blocks only briefly.
TBoundedWrite WriteBounded(int fd, std::string_view data, TNoProgressClock& clock,
                           TPutBytes put = nullptr);

} // namespace zev
