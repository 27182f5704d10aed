#include "base/terminal_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace quarn {
namespace {

TEST(TerminalSafeUtf8, ShowsWhatATerminalWouldActOnAsQuestionMarks)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"office \xc3\xa9t\xc3\xa9 \xe6\x9d\xb1 \xf0\x9f\x94\x8c\tR3",
         "office \xc3\xa9t\xc3\xa9 \xe6\x9d\xb1 \xf0\x9f\x94\x8c\tR3"},
        {"\x1b]0;owned\x07\x1b[2J", "?]0;owned??[2J"},  // C0: escape, bell
        {"a\rb\nc\x7f", "a?b?c?"},                      // CR, LF, DEL
        {"\xc2\x9b"
         "31m",
         "?31m"},                                                     // C1 CSI written in UTF-8
        {"\xe2\x80\xaeR0 on\xe2\x81\xa6x\xe2\x81\xa9", "?R0 on?x?"},  // RLO, LRI, PDI
        {"\xe2\x80\xadok\xe2\x80\xac", "?ok?"},                       // LRO, PDF
        {"name\xff.xml", "name?.xml"},                                // a byte that is no UTF-8
        {"\xc0\xaf", "??"},                                           // overlong '/'
        {"\xed\xa0\x80", "???"},                                      // a surrogate
        {"\xe6\x9d", "??"},                                           // cut short
        {"\xf4\x90\x80\x80", "????"},                                 // past U+10FFFF
    };
    for (const auto& c : cases)
        EXPECT_EQ(TerminalSafeUtf8(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace quarn
