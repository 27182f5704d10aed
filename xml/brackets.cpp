#include "xml/brackets.hpp"

#include <algorithm>

namespace pug::detail {

char16_t* bracket_matcher::match(char16_t* subset)
{
    if (!(from_ && subset >= from_ && subset <= to_))
        scan(subset);
    // Questions come in text order: look on from the last answer.
    if (next_ >= pairs_.size() || pairs_[next_].first > subset)
        next_ = 0;
    if (next_ + 1 < pairs_.size() && pairs_[next_].first < subset && pairs_[next_ + 1].first == subset)
        ++next_;
    if (pairs_[next_].first != subset) {
        const auto found = std::lower_bound(pairs_.begin() + static_cast<std::ptrdiff_t>(next_), pairs_.end(), subset,
                                            [](const auto& pair, char16_t* at) { return pair.first < at; });
        next_ = static_cast<std::size_t>(found - pairs_.begin());
    }
    if (next_ < pairs_.size() && pairs_[next_].first == subset)
        return pairs_[next_].second;
    // Not a bracket the notes saw (the text changed there): count afresh.
    scan(subset);
    return pairs_.front().second;
}

void bracket_matcher::scan(char16_t* subset)
{
    pairs_.clear();
    next_ = 0;
    std::vector<std::size_t> unclosed{0};
    pairs_.emplace_back(subset, nullptr);
    char16_t* p = subset;
    for (; *p; ++p) {
        if (*p == u'[') {
            unclosed.push_back(pairs_.size());
            pairs_.emplace_back(p + 1, nullptr);
        } else if (*p == u']') {
            pairs_[unclosed.back()].second = p;
            unclosed.pop_back();
            if (unclosed.empty())
                break;
        }
    }
    // Brackets still open at the end of the text close there.
    for (const std::size_t i : unclosed)
        pairs_[i].second = p;
    from_ = subset;
    to_ = p;
}

}  // namespace pug::detail
