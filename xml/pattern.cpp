// Whole-name matching with "*", "?" and character sets.
#include "xml/pug.hpp"

namespace pug {

namespace {

// Matches c against the set whose text starts after "[". Sets end to the
// position after "]". An unterminated set is not a set: returns false with
// end left null, and the caller then matches "[" literally.
bool match_set(const char16_t* set, char16_t c, const char16_t*& end)
{
    end = nullptr;
    const char16_t* p = set;
    bool negate = false;
    if (*p == u'!') {
        negate = true;
        ++p;
    }
    bool found = false;
    bool first = true;
    while (*p && (first || *p != u']')) {
        first = false;
        char16_t low = *p;
        char16_t high = low;
        if (p[1] == u'-' && p[2] && p[2] != u']') {
            high = p[2];
            p += 3;
        } else {
            ++p;
        }
        if (c >= low && c <= high)
            found = true;
    }
    if (*p != u']')
        return false;
    end = p + 1;
    return found != negate;
}

}  // namespace

bool match_pattern(const char16_t* name, const char16_t* pattern)
{
    if (!name || !pattern)
        return false;
    const char16_t* n = name;
    const char16_t* p = pattern;
    // Where to resume after the last "*": the pattern after it, and the name
    // position it currently absorbs up to.
    const char16_t* star_pattern = nullptr;
    const char16_t* star_name = nullptr;
    while (*n) {
        if (*p == u'*') {
            while (*p == u'*')
                ++p;
            if (!*p)
                return true;
            star_pattern = p;
            star_name = n;
            continue;
        }
        bool matched = false;
        const char16_t* next = p + 1;
        if (*p == u'?') {
            matched = true;
        } else if (*p == u'[') {
            const char16_t* end = nullptr;
            matched = match_set(p + 1, *n, end);
            if (end)
                next = end;
            else
                matched = *n == u'[';
        } else if (*p) {
            matched = *p == *n;
        }
        if (matched) {
            p = next;
            ++n;
        } else if (star_pattern) {
            p = star_pattern;
            n = ++star_name;
        } else {
            return false;
        }
    }
    while (*p == u'*')
        ++p;
    return !*p;
}

}  // namespace pug
