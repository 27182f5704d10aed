#pragma once
// File descriptors for the exchanges that run side by side: each holds one
// socket while it lasts.

#include <cstddef>

namespace quarn::cli {

// Raises the soft limit on open file descriptors to the hard one, as far as
// the system lets it; called once at start. Nothing on Windows.
void RaiseDescriptorLimit();

// How many exchanges may run at once, at most wanted: the descriptors the
// soft limit leaves after those already open, less a reserve for the files
// a command opens meanwhile (the journal, the hosts file, standard streams).
std::size_t ExchangesThatFit(std::size_t wanted);

}  // namespace quarn::cli
