#include "document/condition_text.hpp"

#include "base/controller_facts.hpp"
#include "base/text_scan.hpp"

namespace quarn {

namespace {

constexpr std::array<std::u16string_view, kConditionInputCount> kInputs = {
    u"0",  u"1",  u"T0", u"T1", u"T2", u"T3", u"T4", u"T5", u"T6", u"T7", u"R0",
    u"R1", u"R2", u"R3", u"R4", u"R5", u"R6", u"R7", u"S0", u"S1", u"S2", u"S3",
};

bool IsInput(int index)
{
    return index >= 0 && index < kConditionInputCount;
}

char16_t CharAt(std::u16string_view text, std::size_t pos)
{
    return pos < text.size() ? text[pos] : u'\0';
}

// A decimal number as the C library reads one: leading white space, an
// optional sign, then digits up to the first other character. No digits
// give 0; a value beyond the int range saturates.
int LeadingNumber(std::u16string_view text)
{
    return SaturatedInt32(ScanDecimal(text, 0, kInt32Magnitude));
}

// Splits one gate's part of the text into up to four tokens and maps them.
// separator is '&' for the AND gate and '|' for the OR gate. Inputs for
// which no token is found keep their neutral value.
void ReadGate(std::u16string_view part, char16_t separator, int* inputs)
{
    std::size_t pos = 0;
    for (int i = 0; i < kAndInputs; ++i) {
        while (pos < part.size() && part[pos] == separator)
            ++pos;
        if (pos >= part.size())
            return;
        std::size_t end = part.find(separator, pos);
        if (end == std::u16string_view::npos)
            end = part.size();
        inputs[i] = MapConditionToken(part.substr(pos, end - pos));
        // The two characters after a token are the separator pair.
        pos = end + 2;
    }
}

}  // namespace

const std::array<std::u16string_view, kConditionInputCount>& ConditionInputList()
{
    return kInputs;
}

GateSelections NeutralSelections()
{
    GateSelections selections{};
    for (int i = 0; i < kAndInputs; ++i) {
        selections[i] = kInputTrue;
        selections[kAndInputs + i] = kInputFalse;
    }
    return selections;
}

bool AndGateUsed(const GateSelections& selections)
{
    for (int i = 0; i < kAndInputs; ++i) {
        if (IsInput(selections[i]) && selections[i] != kInputTrue)
            return true;
    }
    return false;
}

bool OrGateUsed(const GateSelections& selections)
{
    for (int i = kAndInputs; i < 2 * kAndInputs; ++i) {
        if (IsInput(selections[i]) && selections[i] != kInputFalse)
            return true;
    }
    return false;
}

std::u16string BuildConditionText(const GateSelections& selections)
{
    std::u16string text;
    for (int i = 0; i < kAndInputs; ++i) {
        const int input = selections[i];
        if (!IsInput(input) || input == kInputTrue)
            continue;
        if (!text.empty())
            text += u"&&";
        text += u'#';
        text += kInputs[input];
    }
    if (!text.empty())
        text = u"(" + text + u")";
    for (int i = kAndInputs; i < 2 * kAndInputs; ++i) {
        const int input = selections[i];
        if (!IsInput(input) || input == kInputFalse)
            continue;
        if (!text.empty())
            text += u"||";
        text += u'#';
        text += kInputs[input];
    }
    return text;
}

GateSelections ParseConditionText(std::u16string_view text)
{
    GateSelections selections = NeutralSelections();
    if (text.empty())
        return selections;

    std::u16string_view andGroup;
    std::u16string_view orPart;
    if (text.front() == u'(') {
        std::size_t pos = 1;
        while (pos < text.size() && text[pos] == u')')
            ++pos;
        std::size_t close = text.find(u')', pos);
        andGroup = text.substr(pos, close == std::u16string_view::npos ? text.npos : close - pos);
        if (close != std::u16string_view::npos) {
            pos = close + 1;
            while (pos < text.size() && text[pos] == u')')
                ++pos;
            close = text.find(u')', pos);
            orPart = text.substr(pos, close == std::u16string_view::npos ? text.npos : close - pos);
        }
    } else {
        orPart = text;
    }
    ReadGate(andGroup, u'&', selections.data());
    ReadGate(orPart, u'|', selections.data() + kAndInputs);
    return selections;
}

int MapConditionToken(std::u16string_view token)
{
    std::size_t pos = 0;
    if (CharAt(token, pos) == u'(')
        ++pos;
    if (CharAt(token, pos) != u'#')
        return CharAt(token, pos) == u'1' ? kInputTrue : kInputFalse;
    const char16_t kind = CharAt(token, pos + 1);
    // "#1" is how an OR input "1" is written; it must come back as "1", or
    // reopening the dialog would silently drop an always-on input.
    if (kind == u'1' && token.size() == pos + 2)
        return kInputTrue;
    const int n = pos + 2 <= token.size() ? LeadingNumber(token.substr(pos + 2)) : 0;
    switch (kind) {
    case u'T':
        return n >= 0 && n < kTimerCount ? kFirstTimerInput + n : kInputFalse;
    case u'R':
        return n >= 0 && n < kRelayCount ? kFirstRelayInput + n : kInputFalse;
    case u'S':
        return n >= 0 && n < kInputCount ? kFirstSwitchInput + n : kInputFalse;
    default:
        return kInputFalse;
    }
}

bool GatesShowExactly(std::u16string_view text)
{
    return BuildConditionText(ParseConditionText(text)) == text;
}

}  // namespace quarn
