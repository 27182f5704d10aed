#include "xml/pug.hpp"

#include <gtest/gtest.h>

namespace {

struct pattern_case {
    const char16_t* name;
    const char16_t* pattern;
    bool matches;
};

TEST(MatchPattern, Table)
{
    const pattern_case cases[] = {
        {u"state", u"state", true},
        {u"state", u"State", false},
        {u"states", u"state", false},
        {u"stat", u"state", false},
        {u"", u"", true},
        {u"a", u"", false},
        {u"", u"*", true},
        {u"abc", u"*", true},
        {u"abc", u"a*", true},
        {u"abc", u"*c", true},
        {u"abc", u"*b*", true},
        {u"abc", u"*d*", false},
        {u"aXbXc", u"a*b*c", true},
        {u"abcbd", u"a*bd", true},
        {u"abcbe", u"a*bd", false},
        {u"abc", u"a?c", true},
        {u"ac", u"a?c", false},
        {u"abc", u"???", true},
        {u"b", u"[abc]", true},
        {u"d", u"[abc]", false},
        {u"d", u"[!abc]", true},
        {u"a", u"[!abc]", false},
        {u"m", u"[a-z]", true},
        {u"M", u"[a-z]", false},
        {u"5", u"[!a-z]", true},
        {u"-", u"[a-]", true},
        {u"]", u"[]]", true},
        {u"x1", u"x[0-9]", true},
        {u"x10", u"x[0-9]", false},
        {u"[", u"[", true},
        {u"[a", u"[a", true},
        {u"T3", u"[RT][0-7]", true},
        {u"S3", u"[RT][0-7]", false},
        {u"ab", u"**b", true},
        {u"ab", u"a*", true},
        {u"a", u"a**", true},
    };
    for (const pattern_case& c : cases) {
        EXPECT_EQ(pug::match_pattern(c.name, c.pattern), c.matches)
            << std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)) << " ~ "
            << std::string(c.pattern, c.pattern + std::char_traits<char16_t>::length(c.pattern));
    }
}

TEST(MatchPattern, AbsentNameNeverMatches)
{
    EXPECT_FALSE(pug::match_pattern(nullptr, u"*"));
    EXPECT_FALSE(pug::match_pattern(u"a", nullptr));
}

}  // namespace
