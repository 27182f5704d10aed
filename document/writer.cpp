#include "document/writer.hpp"

#include "base/utf8.hpp"
#include "document/file_access.hpp"
#include "document/timer_value.hpp"
#include "xml/pug.hpp"

#include <cstdint>

namespace quarn {

namespace {

std::u16string Numbered(std::u16string_view prefix, int n)
{
    std::u16string text(prefix);
    text += static_cast<char16_t>(u'0' + n);
    return text;
}

// The serializer escapes nothing itself. Every "&" is stored as "&amp;"; a
// condition (an attribute value) also stores '"' as "&quot;", and the version
// text (typed freely in the Version dialog) '<' as "&lt;", so that neither
// ends its markup early and both read back whole.
enum class Markup { Attribute, Text };

std::u16string Escaped(std::u16string_view value, Markup markup)
{
    const char16_t ender = markup == Markup::Attribute ? u'"' : u'<';
    const char16_t* const replacement = markup == Markup::Attribute ? u"&quot;" : u"&lt;";
    std::u16string text;
    text.reserve(value.size());
    for (const char16_t c : value) {
        if (c == u'&')
            text += u"&amp;";
        else if (c == ender)
            text += replacement;
        else
            text += c;
    }
    return text;
}

pug::xml_node AddElement(pug::xml_node parent, const char16_t* name)
{
    pug::xml_node element = parent.add_child(pug::kind_element);
    element.set_name(name);
    return element;
}

void AddText(pug::xml_node parent, const std::u16string& text)
{
    parent.add_child(pug::kind_text).set_value(text.c_str());
}

// One of a relay's two states: its entry action sends content, its
// transition leads to target on cond.
void AddRelayHalf(pug::xml_node relay, const std::u16string& id, const std::u16string& content,
                  const std::u16string& target, const std::u16string& cond)
{
    pug::xml_node state = AddElement(relay, u"state");
    state.add_attribute(u"id", id.c_str());
    pug::xml_node send = AddElement(AddElement(state, u"onentry"), u"send");
    send.add_attribute(u"type", u"relay");
    AddText(AddElement(send, u"content"), content);
    pug::xml_node transition = AddElement(state, u"transition");
    transition.add_attribute(u"target", target.c_str());
    transition.add_attribute(u"cond", cond.c_str());
    AddText(transition, u" ");
}

void BuildTree(const StateMachineModel& model, pug::xml_node document)
{
    pug::xml_node declaration = document.add_child(pug::kind_instruction);
    declaration.set_name(u"xml");
    declaration.add_attribute(u"version", u"1.0");
    declaration.add_attribute(u"encoding", u"utf-8");

    pug::xml_node machine = AddElement(document, u"statemachine");
    AddText(AddElement(machine, u"version"), Escaped(model.version, Markup::Text));

    for (int n = 0; n < kTimerCount; ++n) {
        const TimerEntry& timer = model.timers[n];
        if (!timer.offTime)
            continue;
        pug::xml_node element = AddElement(machine, u"timer");
        element.add_attribute(u"id", static_cast<std::int32_t>(n));
        element.add_attribute(u"start", EncodeTimerValue(timer.onDate, timer.onTime));
        element.add_attribute(u"end", EncodeTimerValue(timer.offDate, timer.offTime));
        element.add_attribute(u"dow", static_cast<std::int32_t>(WeekdayMask(model, n)));
        AddText(element, u" ");
    }

    pug::xml_node parallel = AddElement(machine, u"parallel");
    for (int n = 0; n < kRelayCount; ++n) {
        if (model.relays[n].empty())
            continue;
        const std::u16string cond = Escaped(model.relays[n], Markup::Attribute);
        pug::xml_node relay = AddElement(parallel, u"state");
        relay.add_attribute(u"id", Numbered(u"R", n).c_str());
        relay.add_attribute(u"initial", Numbered(u"Roff", n).c_str());
        AddRelayHalf(relay, Numbered(u"Roff", n), Numbered(u"F", n), Numbered(u"Ron", n), cond);
        AddRelayHalf(relay, Numbered(u"Ron", n), Numbered(u"N", n), Numbered(u"Roff", n), u"!(" + cond + u")");
    }
}

bool IsSeparator(char16_t c)
{
#ifdef _WIN32
    return c == u'/' || c == u'\\' || c == u':';
#else
    return c == u'/';
#endif
}

}  // namespace

std::u16string BaseNameOfPath(const std::u16string& path)
{
    std::size_t start = path.size();
    while (start > 0 && !IsSeparator(path[start - 1]))
        --start;
    std::u16string name = path.substr(start);
    const std::size_t dot = name.rfind(u'.');
    if (dot != std::u16string::npos)
        name.erase(dot);
    return name;
}

std::string StateMachineFileBytes(const StateMachineModel& model)
{
    pug::xml_parser parser;
    parser.new_document();
    BuildTree(model, parser.root());
    // The serializer's text is collected in memory; it becomes the file's
    // bytes only once the whole document is written.
    pug::string_sink collected;
    parser.root().write_tree(collected);

    // UTF-8 with a byte-order mark, every line ending in CR LF.
    const std::string utf8 = EncodeUtf8(collected.text());
    std::string bytes = "\xEF\xBB\xBF";
    bytes.reserve(utf8.size() + utf8.size() / 16 + 3);
    for (const char c : utf8) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    return bytes;
}

WriteOutcome WriteStateMachineFile(StateMachineModel& model, const WriterHooks& hooks)
{
    if (model.path.empty())
        return {WriteResult::PathEmpty, {}};
    model.modified = false;
    if (hooks.takeFields)
        hooks.takeFields();
    if (model.version.empty())
        model.version = BaseNameOfPath(model.path);

    if (ReplaceFileContents(model.path, StateMachineFileBytes(model)) != 0)
        return {WriteResult::NotWritten, kCannotWriteText};
    if (hooks.reportUsed)
        hooks.reportUsed(model.path);
    return {WriteResult::Written, {}};
}

}  // namespace quarn
