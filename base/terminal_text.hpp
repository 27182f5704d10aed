#pragma once
// Text from a file, a controller or an argument on its way to a terminal.
// A terminal acts on what it is sent: an escape sequence moves the cursor,
// retitles the window or rewrites what was printed, and a bidirectional
// override shows a line's characters in another order than they stand. Such
// characters, and bytes that are no UTF-8, are shown as '?' instead.

#include <string>
#include <string_view>

namespace quarn {

// A code point a terminal would act on rather than show: C0 controls but
// TAB, DEL, C1 controls, and the bidirectional embeddings, overrides and
// isolates (U+202A-202E, U+2066-2069).
bool IsTerminalControl(char32_t c);

// UTF-8 with every such code point, and every byte that is not part of valid
// UTF-8 (surrogates and overlong forms included), replaced by '?'.
std::string TerminalSafeUtf8(std::string_view bytes);

// The same for text of several lines: line feeds stay.
std::string TerminalSafeLines(std::string_view text);

}  // namespace quarn
