#include "platform/SerialSpeed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

// <sys/ioctl.h> would bring in the C library's termios, which clashes with
// the kernel's termios2 above.
extern "C" int ioctl(int fd, unsigned long request, ...);

namespace zev {

bool SetLineSpeed(int fd, int baud)
{
    termios2 state{};
    if (baud <= 0 || ioctl(fd, TCGETS2, &state) != 0)
        return false;
    state.c_cflag &= ~CBAUD;
    state.c_cflag |= BOTHER;
    state.c_cflag &= ~(CBAUD << IBSHIFT);
    state.c_cflag |= BOTHER << IBSHIFT;
    state.c_ispeed = static_cast<speed_t>(baud);
    state.c_ospeed = static_cast<speed_t>(baud);
    return ioctl(fd, TCSETS2, &state) == 0;
}

std::optional<int> LineSpeed(int fd)
{
    termios2 state{};
    if (ioctl(fd, TCGETS2, &state) != 0)
        return std::nullopt;
    return static_cast<int>(state.c_ospeed);
}

} // namespace zev
