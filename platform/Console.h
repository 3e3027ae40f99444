#pragma once

// The terminal zev-cli runs in, when there is one.

namespace zev {

// True when standard error is a terminal a person reads, rather than a file
// or a pipe a script reads.
bool StandardErrorIsTerminal();

} // namespace zev
