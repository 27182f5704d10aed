// Matching brackets of DOCTYPE internal subsets, found in one pass.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace pug::detail {

// Where the "[" that opens an internal subset is closed: the "]" that brings
// the count of nested brackets back to zero, or the zero that ends the text
// when none does. Every bracket counts, wherever it stands.
//
// A subset nested in a subset is matched inside the range of the one around
// it, so scanning afresh for each level would read the same text once per
// level. The first query scans from its "[" to its match once, noting the
// match of every "[" on the way; later queries inside that range are answered
// from the notes. Queries come in text order, as the parser meets them.
//
// The parse may change the text behind its position (zeros that cut names and
// values, the zero over a subset's own "]"), but never between a "[" it has
// not reached yet and that bracket's match, so the notes stay true.
class bracket_matcher {
public:
    // subset is the first character after a "[" (which may have been
    // overwritten already) in a zero-terminated text.
    char16_t* match(char16_t* subset);

private:
    void scan(char16_t* subset);

    // What follows each "[" and the position of its match, in text order.
    std::vector<std::pair<char16_t*, char16_t*>> pairs_;
    std::size_t next_ = 0;      // where the last answer was found
    char16_t* from_ = nullptr;  // the range the notes cover
    char16_t* to_ = nullptr;
};

}  // namespace pug::detail
