#pragma once

// Line speeds by their number of bits per second, including those termios
// has no constant for (14400, 56000, 128000, 256000, which label printers
// offer). Linux sets any speed through its termios2 interface; its headers
// clash with <termios.h>, so this lives in a unit of its own.

#include <optional>

namespace zev {

// Sets both directions of the open line `fd` to `baud`; false when the
// device refuses.
bool SetLineSpeed(int fd, int baud);
// The speed the line has now.
std::optional<int> LineSpeed(int fd);

} // namespace zev
