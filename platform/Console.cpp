#include "platform/Console.h"

#include <unistd.h>

namespace zev {

bool StandardErrorIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

} // namespace zev
