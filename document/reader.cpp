#include "document/reader.hpp"

#include "base/file_open.hpp"
#include "base/text_scan.hpp"
#include "document/file_access.hpp"
#include "document/file_text_source.hpp"
#include "document/timer_value.hpp"
#include "xml/pug.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace quarn {

namespace {

// The magnitudes read from the file saturate just above the unsigned 32-bit
// range: enough to tell every value that range holds from one beyond it.
constexpr std::uint64_t kNumberLimit = std::uint64_t{UINT32_MAX} + 1;

// Leading white space, an optional sign and decimal digits; anything else
// ends the number, and no digits read as 0. A missing attribute reads as 0.
ScannedDecimal ParseNumber(const char16_t* text)
{
    if (text == nullptr)
        return {};
    return ScanDecimal(text, 0, kNumberLimit);
}

std::int32_t SignedNumber(const char16_t* text)
{
    return SaturatedInt32(ParseNumber(text));
}

std::uint32_t UnsignedNumber(const char16_t* text)
{
    // As strtoul has it: a negative number wraps around, one beyond the
    // range gives the largest value whatever its sign.
    const ScannedDecimal number = ParseNumber(text);
    if (number.magnitude > UINT32_MAX)
        return UINT32_MAX;
    const auto value = static_cast<std::uint32_t>(number.magnitude);
    return number.negative ? 0u - value : value;
}

const char16_t* AttributeValue(pug::xml_node node, const char16_t* name)
{
    return node.get_attribute(name).value();
}

std::u16string_view ViewOf(const char16_t* text)
{
    return text == nullptr ? std::u16string_view{} : std::u16string_view{text};
}

// The writer's escapes, "&amp;", "&quot;" and "&lt;", turned back; any other
// "&" stays as it stands, as older files hold it.
std::u16string UnescapedText(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i).starts_with(u"&amp;")) {
            out += u'&';
            i += 4;
        } else if (text.substr(i).starts_with(u"&quot;")) {
            out += u'"';
            i += 5;
        } else if (text.substr(i).starts_with(u"&lt;")) {
            out += u'<';
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

void ReadTimer(StateMachineModel& model, pug::xml_node element)
{
    const std::int32_t n = SignedNumber(AttributeValue(element, u"id"));
    if (n < 0 || n >= kTimerCount)
        return;
    const std::int32_t mask = SignedNumber(AttributeValue(element, u"dow"));
    const DecodedTimerValue start = DecodeTimerValue(UnsignedNumber(AttributeValue(element, u"start")));
    const DecodedTimerValue end = DecodeTimerValue(UnsignedNumber(AttributeValue(element, u"end")));

    TimerEntry& timer = model.timers[n];
    timer.onTime = start.time;
    timer.offTime = end.time;
    // Values before 2001 are taken as bare times of day; year 0 has no date.
    if (start.date.year > 2000 && end.date.year > 2000) {
        timer.onDate = start.date;
        timer.offDate = end.date;
    }
    SetWeekdayMask(model, n, mask);
}

std::vector<pug::xml_node> ChildStates(pug::xml_node node)
{
    std::vector<pug::xml_node> found;
    node.collect_children_by_name(u"state", found);
    std::erase_if(found, [](pug::xml_node child) { return child.kind() != pug::kind_element; });
    return found;
}

void ReadRelay(StateMachineModel& model, pug::xml_node relay, const ReaderHooks* hooks)
{
    const std::u16string_view id = ViewOf(AttributeValue(relay, u"id"));
    if (id.size() != 2 || id[0] != u'R' || id[1] < u'0' || id[1] > u'7')
        return;
    const int n = id[1] - u'0';

    const auto leaveOut = [hooks, n](std::u16string_view why) {
        if (hooks != nullptr && hooks->relayLeftOut)
            hooks->relayLeftOut(n, why);
    };
    const std::vector<pug::xml_node> halves = ChildStates(relay);
    if (halves.size() != 2) {
        leaveOut(u"its states are not the pair Roff, Ron");
        return;
    }
    const std::u16string_view offId = ViewOf(AttributeValue(halves[0], u"id"));
    const std::u16string_view onId = ViewOf(AttributeValue(halves[1], u"id"));
    if (offId.size() != 5 || !offId.starts_with(u"Roff") || onId.size() != 4 || !onId.starts_with(u"Ron")) {
        leaveOut(u"its states are not the pair Roff, Ron");
        return;
    }

    pug::xml_node transition = halves[0].find_first_by_name(u"transition");
    if (transition.empty())
        return;
    model.relays[n] = UnescapedText(ViewOf(AttributeValue(transition, u"cond")));

    if (hooks != nullptr && hooks->relayTaken) {
        std::optional<std::u16string> onCondition;
        pug::xml_node back = halves[1].find_first_by_name(u"transition");
        if (!back.empty())
            onCondition = UnescapedText(ViewOf(AttributeValue(back, u"cond")));
        hooks->relayTaken(n, onCondition);
    }
}

}  // namespace

namespace {

bool ReadStateMachineSource(StateMachineModel& model, pug::text_source& source, const ReaderHooks* hooks)
{
    pug::xml_parser parser;
    if (!parser.parse_stream(&source))
        return false;
    pug::xml_node root = parser.root();
    if (hooks != nullptr && hooks->rootElement) {
        pug::xml_node element = root.find_first_by_kind(pug::kind_element);
        hooks->rootElement(element.empty() || element.name() == nullptr ? std::u16string_view()
                                                                        : std::u16string_view(element.name()));
    }

    pug::xml_node machine = root.find_first_by_name(u"statemachine");
    if (!machine.empty()) {
        pug::xml_node version = machine.find_first_by_name(u"version");
        model.version = UnescapedText(ViewOf(version.find_first_by_kind(pug::kind_text).value()));

        std::vector<pug::xml_node> timers;
        machine.collect_by_name(u"timer", timers);
        for (pug::xml_node timer : timers)
            ReadTimer(model, timer);
    }

    pug::xml_node parallel = root.find_first_by_name(u"parallel");
    if (!parallel.empty()) {
        for (pug::xml_node relay : ChildStates(parallel))
            ReadRelay(model, relay, hooks);
    }
    return true;
}

}  // namespace

bool ReadStateMachineText(StateMachineModel& model, std::u16string_view text)
{
    pug::string_source source(text);
    return ReadStateMachineSource(model, source, nullptr);
}

namespace {

// The part of a read that follows opening the file, the same for a file and
// for bytes held in memory. A file that fails while it is read gives the
// error number and an empty model.
int ReadSourceInto(StateMachineModel& model, FileTextSource& source, const ReaderHooks& hooks)
{
    if (const int error = source.Error(); error != 0)
        return error;
    const bool read = ReadStateMachineSource(model, source, &hooks);
    if (const int error = source.Error(); error != 0) {
        ResetModel(model);
        return error;
    }
    if (!read) {
        ResetModel(model);
        return kReadNoFile;
    }
    return 0;
}

int ReadBytesInto(StateMachineModel& model, std::string_view bytes, const ReaderHooks& hooks)
{
    FileTextSource source(bytes);
    return ReadSourceInto(model, source, hooks);
}

int ReadInto(StateMachineModel& model, const ReaderHooks& hooks)
{
    if (model.path.empty() || !FileExists(model.path))
        return kReadNoFile;
    if (hooks.reportUsed)
        hooks.reportUsed(model.path);

    // The file is read as the parser asks for text, so its bytes are never
    // held whole beside the text.
    const OpenedFile opened = OpenFileForReading(model.path, ReadableFiles::RegularOnly);
    if (opened.error != 0)
        return opened.error;
    FileTextSource source(opened.file.get());
    return ReadSourceInto(model, source, hooks);
}

ReadOutcome OutcomeOf(int code)
{
    return ReadOutcome{code, code == 0 ? std::u16string() : std::u16string(kCannotReadText)};
}

}  // namespace

ReadOutcome ReadStateMachineFile(StateMachineModel& model, const ReaderHooks& hooks)
{
    ResetModel(model);
    const int result = ReadInto(model, hooks);
    model.modified = false;
    if (hooks.showModel)
        hooks.showModel();
    return OutcomeOf(result);
}

ReadOutcome ReadStateMachineBytes(StateMachineModel& model, std::string_view bytes, const ReaderHooks& hooks)
{
    ResetModel(model);
    const int result = ReadBytesInto(model, bytes, hooks);
    model.modified = false;
    return OutcomeOf(result);
}

bool SwitchesNoRelay(std::string_view bytes)
{
    StateMachineModel model;
    const ReadOutcome outcome = ReadStateMachineBytes(model, bytes);
    if (outcome.code != 0 && outcome.code != -1)
        return false;
    return std::all_of(model.relays.begin(), model.relays.end(),
                       [](const std::u16string& condition) { return condition.empty(); });
}

}  // namespace quarn
