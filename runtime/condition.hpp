#pragma once
// Relay conditions as the controller reads them:
//   expr  := and ("||" and)*
//   and   := unary ("&&" unary)*
//   unary := "!" unary | "(" expr ")" | term
//   term  := "#T"d | "#R"d | "#S"d | "#0" | "#1" | "0" | "1"
// with d one digit in range (T0-T7, R0-R7, S0-S3) and white space allowed
// between tokens. A condition is parsed once into a small postfix program and
// then evaluated for every step; nesting depth does not touch the call stack.

#include "runtime/signals.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quarn::runtime {

// Where a condition text leaves the grammar.
struct ConditionError {
    int relay = -1;        // the relay whose condition it is; -1 when unknown
    bool onState = false;  // the on state's condition (the one that switches off)
    std::u16string condition;
    std::size_t position = 0;  // 0-based index of the first unit that cannot be read; size() for the end
    std::string what;          // "unexpected \")\"", "unexpected end", ...

    // "R3: condition \"(#T0&&)\": unexpected \")\" at character 7"; the
    // character is counted from 1, the end of the text is one past its last.
    std::string Message() const;
};

class Condition {
public:
    // A condition that is always false.
    Condition() = default;

    static std::variant<Condition, ConditionError> Parse(std::u16string_view text);

    bool Evaluate(const SignalState& state) const;

    // The signals the text names, whatever their place in it.
    const SignalState& Uses() const { return uses_; }

private:
    std::vector<std::uint8_t> code_{0};  // postfix; see condition.cpp
    std::size_t depth_ = 1;              // the largest stack the code needs
    SignalState uses_;
};

}  // namespace quarn::runtime
