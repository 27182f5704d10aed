#include "tests/support/markup_check.hpp"

#include "base/utf8.hpp"

#include <cctype>
#include <cstdint>

namespace quarn::test {

namespace {

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' || c == ':' || c == '.';
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    MarkupReading Read()
    {
        SkipSpace();
        if (Starts("<?xml"))
            SkipPast("?>");
        SkipSpace();
        if (Starts("<!DOCTYPE"))
            SkipPast(">");
        SkipSpace();
        if (!Starts("<") || Starts("</"))
            return Fail("no root element");
        if (!Element(0))
            return std::move(reading_);
        SkipSpace();
        if (pos_ != text_.size())
            Fail("text after the root element at " + std::to_string(pos_));
        return std::move(reading_);
    }

private:
    bool Starts(std::string_view part) const { return text_.substr(pos_).starts_with(part); }
    void SkipSpace()
    {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])) != 0)
            ++pos_;
    }
    void SkipPast(std::string_view end)
    {
        const std::size_t at = text_.find(end, pos_);
        pos_ = at == std::string_view::npos ? text_.size() : at + end.size();
    }
    MarkupReading Fail(const std::string& why)
    {
        if (reading_.error.empty())
            reading_.error = why;
        return reading_;
    }
    bool Failed(const std::string& why)
    {
        Fail(why);
        return false;
    }

    std::string Name()
    {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_]))
            ++pos_;
        return std::string(text_.substr(start, pos_ - start));
    }

    // Text up to `stop` with its entities resolved; false on a stray "<" or "&".
    bool Characters(char stop, std::string& out)
    {
        while (pos_ < text_.size() && text_[pos_] != stop) {
            const char c = text_[pos_];
            if (c == '<')
                return Failed("a \"<\" in text or a value at " + std::to_string(pos_));
            if (c != '&') {
                out += c;
                ++pos_;
                continue;
            }
            const std::size_t end = text_.find(';', pos_);
            if (end == std::string_view::npos || end - pos_ > 10)
                return Failed("an \"&\" that starts no entity at " + std::to_string(pos_));
            const std::string_view entity = text_.substr(pos_ + 1, end - pos_ - 1);
            if (entity == "amp")
                out += '&';
            else if (entity == "lt")
                out += '<';
            else if (entity == "gt")
                out += '>';
            else if (entity == "quot")
                out += '"';
            else if (entity == "apos")
                out += '\'';
            else if (entity.size() > 1 && entity[0] == '#') {
                const bool hex = entity[1] == 'x';
                const std::string digits(entity.substr(hex ? 2 : 1));
                if (digits.empty() ||
                    digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
                    return Failed("a bad character reference at " + std::to_string(pos_));
                AppendUtf8(out, static_cast<char32_t>(std::stoul(digits, nullptr, hex ? 16 : 10)));
            } else {
                return Failed("an unknown entity &" + std::string(entity) + "; at " + std::to_string(pos_));
            }
            pos_ = end + 1;
        }
        return true;
    }

    bool Element(int depth)
    {
        ++pos_;  // "<"
        MarkupElement element;
        element.name = Name();
        element.depth = depth;
        if (element.name.empty())
            return Failed("a tag without a name at " + std::to_string(pos_));
        for (;;) {
            SkipSpace();
            if (Starts("/>") || Starts(">"))
                break;
            std::string name = Name();
            if (name.empty())
                return Failed("a bad attribute in <" + element.name + "> at " + std::to_string(pos_));
            SkipSpace();
            if (!Starts("="))
                return Failed("attribute " + name + " without a value");
            ++pos_;
            SkipSpace();
            if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\''))
                return Failed("attribute " + name + " without a quoted value");
            const char quote = text_[pos_++];
            std::string value;
            if (!Characters(quote, value))
                return false;
            if (pos_ >= text_.size())
                return Failed("attribute " + name + " not closed");
            ++pos_;
            if (!element.attributes.emplace(name, value).second)
                return Failed("attribute " + name + " twice in <" + element.name + ">");
        }
        const std::size_t index = reading_.elements.size();
        reading_.elements.push_back(element);
        if (Starts("/>")) {
            pos_ += 2;
            return true;
        }
        ++pos_;  // ">"
        std::string text;
        for (;;) {
            if (pos_ >= text_.size())
                return Failed("<" + element.name + "> is never closed");
            if (Starts("</")) {
                pos_ += 2;
                const std::string name = Name();
                SkipSpace();
                if (name != element.name || !Starts(">"))
                    return Failed("</" + name + "> closes <" + element.name + "> at " + std::to_string(pos_));
                ++pos_;
                break;
            }
            if (Starts("<!--")) {
                SkipPast("-->");
                continue;
            }
            if (Starts("<")) {
                const std::size_t child = reading_.elements.size();
                if (!Element(depth + 1))
                    return false;
                text += reading_.elements[child].text;
                continue;
            }
            if (!Characters('<', text))
                return false;
        }
        reading_.elements[index].text = std::move(text);
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    MarkupReading reading_;
};

}  // namespace

std::vector<const MarkupElement*> MarkupReading::All(std::string_view name) const
{
    std::vector<const MarkupElement*> found;
    for (const MarkupElement& element : elements) {
        if (element.name == name)
            found.push_back(&element);
    }
    return found;
}

std::vector<std::string> MarkupReading::Texts(std::string_view name) const
{
    std::vector<std::string> texts;
    for (const MarkupElement* element : All(name))
        texts.push_back(element->text);
    return texts;
}

MarkupReading ReadMarkup(std::string_view text)
{
    return Reader(text).Read();
}

}  // namespace quarn::test
