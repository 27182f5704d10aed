#pragma once
// A strict reader for the pages and pictures the programs write (XHTML and
// SVG), for tests: unlike the document's own forgiving parser it refuses
// what a browser would read differently from what was meant: a tag left
// open or closed out of order, an attribute without a quoted value, a "<"
// in text, an "&" that starts no entity. Elements come back with their
// attributes and text with the entities resolved, so a test compares them
// with the texts that went in.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quarn::test {

struct MarkupElement {
    std::string name;
    std::map<std::string, std::string> attributes;  // values with entities resolved
    std::string text;                               // all text inside it, descendants' included
    int depth = 0;                                  // 0 for the root element
};

struct MarkupReading {
    std::string error;                    // empty when the text is well-formed
    std::vector<MarkupElement> elements;  // in document order

    // Every element of that name.
    std::vector<const MarkupElement*> All(std::string_view name) const;
    // The text of every element of that name, in document order.
    std::vector<std::string> Texts(std::string_view name) const;
};

// Reads text: an optional <?xml ...?> declaration and <!DOCTYPE ...>, then
// one root element. Entities: &amp; &lt; &gt; &quot; &apos; &#N; &#xN;.
MarkupReading ReadMarkup(std::string_view text);

}  // namespace quarn::test
