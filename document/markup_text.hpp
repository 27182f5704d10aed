#pragma once
// Text put into an HTML or SVG page: every character that markup would read
// as markup is written as an entity, so text from a file (a version text, a
// condition, a file name) can never open a tag, end an attribute or start a
// script.

#include <string>
#include <string_view>

namespace quarn {

// UTF-8 text as element content or a double- or single-quoted attribute
// value: & < > " ' become entities; a malformed UTF-8 sequence becomes
// U+FFFD; control characters other than tab, LF and CR, which XML does not
// allow, become a space.
std::string MarkupText(std::string_view utf8);
std::string MarkupText(std::u16string_view text);

// A coordinate or length with at most one decimal, written without the
// locale (a decimal comma would break the document): "12", "12.5", "-3".
std::string MarkupNumber(double value);

}  // namespace quarn
