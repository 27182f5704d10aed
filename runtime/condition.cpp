#include "runtime/condition.hpp"

#include "base/utf8.hpp"

#include <cstdint>

namespace quarn::runtime {

namespace {

// Postfix operations, one byte each in the code. A signal is pushed by the
// byte Signal + its bit in the packed word of Packed().
enum class Op : std::uint8_t {
    False = 0,
    True = 1,
    Not = 2,
    And = 3,
    Or = 4,
    Signal = 8,
};

constexpr std::uint8_t Code(Op op)
{
    return static_cast<std::uint8_t>(op);
}

constexpr int kInputBit = 8;
constexpr int kRelayBit = 16;

std::uint32_t Packed(const SignalState& state)
{
    return std::uint32_t{state.timers} | std::uint32_t{state.inputs} << kInputBit |
           std::uint32_t{state.relays} << kRelayBit;
}

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Operators waiting on the parser's stack.
enum class Pending : std::uint8_t { Not, And, Or, Open };

int Precedence(Pending op)
{
    switch (op) {
    case Pending::Not:
        return 3;
    case Pending::And:
        return 2;
    case Pending::Or:
        return 1;
    case Pending::Open:
        break;
    }
    return 0;
}

std::string Quoted(char16_t c)
{
    return "\"" + EncodeUtf8(std::u16string_view(&c, 1)) + "\"";
}

}  // namespace

std::string ConditionError::Message() const
{
    std::string text;
    if (relay >= 0)
        text = "R" + std::to_string(relay) + (onState ? " (on state)" : "") + ": ";
    text += "condition \"" + EncodeUtf8(condition) + "\": " + what + " at character " + std::to_string(position + 1);
    return text;
}

std::variant<Condition, ConditionError> Condition::Parse(std::u16string_view text)
{
    Condition result;
    result.code_.clear();
    std::vector<Pending> pending;
    std::size_t depth = 0;
    std::size_t maxDepth = 0;
    bool expectOperand = true;

    const auto fail = [&](std::size_t position, std::string what) {
        ConditionError error;
        error.condition = std::u16string(text);
        error.position = position;
        error.what = std::move(what);
        return error;
    };
    const auto emit = [&](Op op) {
        result.code_.push_back(Code(op));
        if (op == Op::Not)
            return;
        if (op == Op::And || op == Op::Or)
            --depth;
        else if (++depth > maxDepth)
            maxDepth = depth;
    };
    // Moves every waiting operator that binds at least as tightly as one of
    // the given precedence into the code.
    const auto reduce = [&](int precedence) {
        while (!pending.empty() && pending.back() != Pending::Open && Precedence(pending.back()) >= precedence) {
            const Pending op = pending.back();
            pending.pop_back();
            emit(op == Pending::Not ? Op::Not : op == Pending::And ? Op::And : Op::Or);
        }
    };

    std::size_t i = 0;
    const std::size_t size = text.size();
    for (;;) {
        while (i < size && IsBlank(text[i]))
            ++i;
        if (i == size)
            break;
        const char16_t c = text[i];
        if (expectOperand) {
            if (c == u'!') {
                pending.push_back(Pending::Not);
                ++i;
            } else if (c == u'(') {
                pending.push_back(Pending::Open);
                ++i;
            } else if (c == u'0' || c == u'1') {
                emit(c == u'1' ? Op::True : Op::False);
                ++i;
                expectOperand = false;
            } else if (c == u'#') {
                if (i + 1 == size)
                    return fail(size, "unexpected end");
                const char16_t what = text[i + 1];
                if (what == u'0' || what == u'1') {
                    emit(what == u'1' ? Op::True : Op::False);
                    i += 2;
                } else if (what == u'T' || what == u'R' || what == u'S') {
                    if (i + 2 == size)
                        return fail(size, "unexpected end");
                    const char16_t digit = text[i + 2];
                    const int limit = what == u'S' ? kInputCount : what == u'T' ? kTimerCount : kRelayCount;
                    if (digit < u'0' || digit >= u'0' + limit)
                        return fail(i + 2, "no signal " + EncodeUtf8(std::u16string_view(&what, 1)) +
                                               EncodeUtf8(std::u16string_view(&digit, 1)));
                    const int n = digit - u'0';
                    const int bit = what == u'T' ? n : what == u'S' ? kInputBit + n : kRelayBit + n;
                    emit(static_cast<Op>(Code(Op::Signal) + bit));
                    SetSignal(result.uses_,
                              {what == u'T'   ? SignalKind::Timer
                               : what == u'S' ? SignalKind::Input
                                              : SignalKind::Relay,
                               n},
                              true);
                    i += 3;
                } else {
                    return fail(i + 1, "unexpected " + Quoted(what) + " after \"#\"");
                }
                expectOperand = false;
            } else {
                return fail(i, "unexpected " + Quoted(c));
            }
            continue;
        }
        // After an operand: an operator, a closing parenthesis or the end.
        if (c == u'&' || c == u'|') {
            if (i + 1 == size)
                return fail(size, "unexpected end");
            if (text[i + 1] != c)
                return fail(i + 1, "unexpected " + Quoted(text[i + 1]) + " after " + Quoted(c));
            const Pending op = c == u'&' ? Pending::And : Pending::Or;
            reduce(Precedence(op));
            pending.push_back(op);
            i += 2;
            expectOperand = true;
        } else if (c == u')') {
            reduce(0);
            if (pending.empty())
                return fail(i, "unexpected \")\"");
            pending.pop_back();  // the "("
            ++i;
        } else {
            return fail(i, "unexpected " + Quoted(c));
        }
    }
    if (expectOperand)
        return fail(size, "unexpected end");
    reduce(0);
    if (!pending.empty())
        return fail(size, "unexpected end, \")\" missing");
    result.depth_ = maxDepth;
    return result;
}

bool Condition::Evaluate(const SignalState& state) const
{
    const std::uint32_t word = Packed(state);
    // The stack of booleans: bits of a word while the code needs no more,
    // otherwise a vector.
    if (depth_ <= 64) {
        std::uint64_t stack = 0;
        for (const std::uint8_t op : code_) {
            switch (static_cast<Op>(op)) {
            case Op::False:
                stack <<= 1;
                break;
            case Op::True:
                stack = stack << 1 | 1;
                break;
            case Op::Not:
                stack ^= 1;
                break;
            case Op::And:
                stack = (stack >> 1 & ~std::uint64_t{1}) | (stack >> 1 & stack & 1);
                break;
            case Op::Or:
                stack = (stack >> 1) | (stack & 1);
                break;
            default:
                stack = stack << 1 | (word >> (op - Code(Op::Signal)) & 1);
                break;
            }
        }
        return (stack & 1) != 0;
    }
    std::vector<bool> stack;
    stack.reserve(depth_);
    for (const std::uint8_t op : code_) {
        switch (static_cast<Op>(op)) {
        case Op::False:
        case Op::True:
            stack.push_back(op == Code(Op::True));
            break;
        case Op::Not:
            stack.back() = !stack.back();
            break;
        case Op::And:
        case Op::Or: {
            const bool right = stack.back();
            stack.pop_back();
            stack.back() = op == Code(Op::And) ? stack.back() && right : stack.back() || right;
            break;
        }
        default:
            stack.push_back((word >> (op - Code(Op::Signal)) & 1) != 0);
            break;
        }
    }
    return stack.back();
}

}  // namespace quarn::runtime
