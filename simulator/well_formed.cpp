#include "simulator/well_formed.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quarn::sim {

namespace {

bool IsSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool IsNameStart(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u':' ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7 && c != 0x37E &&
            !(c >= 0x2000 && c <= 0x206F && c != 0x200C && c != 0x200D && c != 0x203F && c != 0x2040));
}

bool IsNameChar(char16_t c)
{
    return IsNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.' || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F);
}

// The characters XML 1.0 allows, with surrogates only in pairs. Returns the
// position of the first other one, or npos.
std::size_t FirstBadCharacter(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x20) {
            if (c != u'\t' && c != u'\n' && c != u'\r')
                return i;
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return i;
            ++i;
        } else if ((c >= 0xDC00 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF) {
            return i;
        }
    }
    return std::u16string_view::npos;
}

class Checker {
public:
    Checker(std::u16string_view text, std::u16string_view root) : text_(text), root_(root) {}

    std::optional<XmlFault> Run()
    {
        if (const std::size_t bad = FirstBadCharacter(text_); bad != std::u16string_view::npos)
            return FaultAt(bad, "a character that XML does not allow");
        if (!Document()) {
            XmlFault fault = FaultAt(faultAt_, reason_);
            fault.otherRoot = otherRoot_;
            return fault;
        }
        return std::nullopt;
    }

private:
    bool Fail(const char* reason) { return Fail(pos_, reason); }
    bool Fail(std::size_t at, const char* reason)
    {
        faultAt_ = at;
        reason_ = reason;
        return false;
    }

    XmlFault FaultAt(std::size_t at, std::string reason) const
    {
        XmlFault fault;
        fault.reason = std::move(reason);
        for (std::size_t i = 0; i < at && i < text_.size(); ++i) {
            if (text_[i] == u'\n') {
                ++fault.line;
                fault.column = 1;
            } else {
                ++fault.column;
            }
        }
        return fault;
    }

    bool AtEnd() const { return pos_ >= text_.size(); }
    bool Next(std::u16string_view what) const { return text_.substr(pos_).starts_with(what); }
    char16_t Peek() const { return AtEnd() ? u'\0' : text_[pos_]; }

    bool SkipSpace()
    {
        const std::size_t start = pos_;
        while (!AtEnd() && IsSpace(text_[pos_]))
            ++pos_;
        return pos_ > start;
    }

    bool Name(std::u16string_view& name)
    {
        const std::size_t start = pos_;
        if (AtEnd() || !IsNameStart(text_[pos_]))
            return Fail("a name was expected");
        while (!AtEnd() && IsNameChar(text_[pos_]))
            ++pos_;
        name = text_.substr(start, pos_ - start);
        return true;
    }

    // "&name;", "&#digits;" or "&#xhex;", pos_ on the "&".
    bool Reference()
    {
        const std::size_t start = pos_++;
        if (Peek() == u'#') {
            ++pos_;
            const bool hex = Peek() == u'x';
            if (hex)
                ++pos_;
            std::uint32_t value = 0;
            std::size_t digits = 0;
            for (; !AtEnd(); ++pos_, ++digits) {
                const char16_t c = text_[pos_];
                int digit = -1;
                if (c >= u'0' && c <= u'9')
                    digit = c - u'0';
                else if (hex && c >= u'a' && c <= u'f')
                    digit = c - u'a' + 10;
                else if (hex && c >= u'A' && c <= u'F')
                    digit = c - u'A' + 10;
                if (digit < 0)
                    break;
                value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit), 0x110000);
            }
            if (digits == 0 || Peek() != u';')
                return Fail(start, "a malformed character reference");
            const bool allowed = value == 0x9 || value == 0xA || value == 0xD || (value >= 0x20 && value <= 0xD7FF) ||
                                 (value >= 0xE000 && value <= 0xFFFD) || (value >= 0x10000 && value <= 0x10FFFF);
            if (!allowed)
                return Fail(start, "a character reference to a character that XML does not allow");
            ++pos_;
            return true;
        }
        std::u16string_view name;
        if (!Name(name) || Peek() != u';')
            return Fail(start, "a malformed entity reference");
        ++pos_;
        for (const std::u16string_view known : {u"lt", u"gt", u"amp", u"apos", u"quot"})
            if (name == known)
                return true;
        return Fail(start, "a reference to an undeclared entity");
    }

    // name = "value" or 'value', pos_ on the name.
    bool Attribute(std::u16string_view& name)
    {
        if (!Name(name))
            return false;
        SkipSpace();
        if (Peek() != u'=')
            return Fail("an attribute without \"=\"");
        ++pos_;
        SkipSpace();
        const char16_t quote = Peek();
        if (quote != u'"' && quote != u'\'')
            return Fail("an attribute value without quotes");
        ++pos_;
        for (;;) {
            if (AtEnd())
                return Fail("an attribute value that does not end");
            const char16_t c = text_[pos_];
            if (c == quote)
                break;
            if (c == u'<')
                return Fail("\"<\" in an attribute value");
            if (c == u'&') {
                if (!Reference())
                    return false;
            } else {
                ++pos_;
            }
        }
        ++pos_;
        return true;
    }

    // A start tag or an empty-element tag, pos_ after the "<".
    bool StartTag(std::vector<std::u16string_view>& open)
    {
        std::u16string_view name;
        if (!Name(name))
            return false;
        std::vector<std::u16string_view> attributes;
        for (;;) {
            const bool spaced = SkipSpace();
            if (Next(u"/>")) {
                pos_ += 2;
                break;
            }
            if (Next(u">")) {
                ++pos_;
                open.push_back(name);
                break;
            }
            if (AtEnd())
                return Fail("a tag that does not end");
            if (!spaced)
                return Fail("white space was expected before an attribute");
            std::u16string_view attribute;
            if (!Attribute(attribute))
                return false;
            attributes.push_back(attribute);
        }
        std::sort(attributes.begin(), attributes.end());
        if (std::adjacent_find(attributes.begin(), attributes.end()) != attributes.end())
            return Fail("an attribute given twice in one tag");
        return true;
    }

    // pos_ after "</".
    bool EndTag(std::vector<std::u16string_view>& open)
    {
        const std::size_t start = pos_ - 2;
        std::u16string_view name;
        if (!Name(name))
            return false;
        SkipSpace();
        if (Peek() != u'>')
            return Fail("an end tag that does not end");
        ++pos_;
        if (open.empty() || open.back() != name)
            return Fail(start, "an end tag that does not match the open element");
        open.pop_back();
        return true;
    }

    // pos_ on "<!--".
    bool Comment()
    {
        const std::size_t start = pos_;
        const std::size_t end = text_.find(u"--", pos_ + 4);
        if (end == std::u16string_view::npos)
            return Fail(start, "a comment that does not end");
        if (end + 2 >= text_.size() || text_[end + 2] != u'>')
            return Fail(end, "\"--\" inside a comment");
        pos_ = end + 3;
        return true;
    }

    // pos_ on "<?".
    bool Instruction(bool declarationAllowed)
    {
        const std::size_t start = pos_;
        pos_ += 2;
        std::u16string_view target;
        if (!Name(target))
            return false;
        const bool isXml = target.size() == 3 && (target[0] | 0x20) == u'x' && (target[1] | 0x20) == u'm' &&
                           (target[2] | 0x20) == u'l';
        if (isXml && !(declarationAllowed && target == u"xml"))
            return Fail(start, "an XML declaration that is not at the very start");
        if (isXml) {
            // version="..." first, then encoding and standalone.
            std::vector<std::u16string_view> names;
            for (;;) {
                const bool spaced = SkipSpace();
                if (Next(u"?>"))
                    break;
                if (AtEnd())
                    return Fail(start, "an XML declaration that does not end");
                if (!spaced)
                    return Fail("white space was expected in the XML declaration");
                std::u16string_view name;
                if (!Attribute(name))
                    return false;
                names.push_back(name);
            }
            if (names.empty() || names.front() != u"version")
                return Fail(start, "an XML declaration without its version first");
            pos_ += 2;
            return true;
        }
        const std::size_t end = text_.find(u"?>", pos_);
        if (end == std::u16string_view::npos)
            return Fail(start, "a processing instruction that does not end");
        if (end > pos_ && !IsSpace(text_[pos_]))
            return Fail("white space was expected after the instruction's name");
        pos_ = end + 2;
        return true;
    }

    // pos_ on "<!DOCTYPE".
    bool DocumentType()
    {
        const std::size_t start = pos_;
        pos_ += 9;
        if (!SkipSpace())
            return Fail("white space was expected after DOCTYPE");
        std::u16string_view name;
        if (!Name(name))
            return false;
        char16_t quote = 0;
        for (; !AtEnd(); ++pos_) {
            const char16_t c = text_[pos_];
            if (quote != 0) {
                if (c == quote)
                    quote = 0;
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u'[') {
                return Fail("a document type with an internal subset (the controller declares no entities)");
            } else if (c == u'>') {
                ++pos_;
                return true;
            }
        }
        return Fail(start, "a document type declaration that does not end");
    }

    // Comments, instructions and white space between the parts of the
    // prolog and after the root element.
    bool Miscellany()
    {
        for (;;) {
            SkipSpace();
            if (Next(u"<!--")) {
                if (!Comment())
                    return false;
            } else if (Next(u"<?")) {
                if (!Instruction(false))
                    return false;
            } else {
                return true;
            }
        }
    }

    bool Content(std::vector<std::u16string_view>& open)
    {
        while (!open.empty()) {
            if (AtEnd())
                return Fail("the file ends inside an element");
            const char16_t c = text_[pos_];
            if (c == u'<') {
                if (Next(u"</")) {
                    pos_ += 2;
                    if (!EndTag(open))
                        return false;
                } else if (Next(u"<!--")) {
                    if (!Comment())
                        return false;
                } else if (Next(u"<![CDATA[")) {
                    const std::size_t end = text_.find(u"]]>", pos_ + 9);
                    if (end == std::u16string_view::npos)
                        return Fail("a CDATA section that does not end");
                    pos_ = end + 3;
                } else if (Next(u"<?")) {
                    if (!Instruction(false))
                        return false;
                } else if (Next(u"<!")) {
                    return Fail("markup that is not allowed inside an element");
                } else {
                    ++pos_;
                    if (!StartTag(open))
                        return false;
                }
            } else if (c == u'&') {
                if (!Reference())
                    return false;
            } else if (c == u']' && Next(u"]]>")) {
                return Fail("\"]]>\" in text");
            } else {
                ++pos_;
            }
        }
        return true;
    }

    bool Document()
    {
        if (Next(u"<?xml") && pos_ + 5 < text_.size() && (IsSpace(text_[5]) || text_[5] == u'?')) {
            if (!Instruction(true))
                return false;
        }
        if (!Miscellany())
            return false;
        if (Next(u"<!DOCTYPE")) {
            if (!DocumentType() || !Miscellany())
                return false;
        }
        if (AtEnd())
            return Fail("the file has no root element");
        if (Peek() != u'<' || Next(u"<!") || Next(u"</"))
            return Fail("the root element was expected");
        ++pos_;
        const std::size_t rootAt = pos_;
        std::vector<std::u16string_view> open;
        if (!StartTag(open))
            return false;
        const std::u16string_view name =
            text_.substr(rootAt, std::min(text_.size(), text_.find_first_of(u" \t\r\n/>", rootAt)) - rootAt);
        if (name != root_) {
            otherRoot_ = true;
            return Fail(rootAt - 1, "the root element has another name");
        }
        if (!Content(open) || !Miscellany())
            return false;
        if (!AtEnd())
            return Fail("only comments and instructions may follow the root element");
        return true;
    }

    std::u16string_view text_;
    std::u16string_view root_;
    std::size_t pos_ = 0;
    std::size_t faultAt_ = 0;
    const char* reason_ = "";
    bool otherRoot_ = false;
};

}  // namespace

std::optional<XmlFault> CheckWellFormed(std::u16string_view text, std::u16string_view root)
{
    return Checker(text, root).Run();
}

}  // namespace quarn::sim
