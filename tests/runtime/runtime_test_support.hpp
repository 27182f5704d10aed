#pragma once
// Helpers shared by the runtime tests: programs from condition texts, and
// instants written as text.

#include "document/model.hpp"
#include "runtime/calendar.hpp"
#include "runtime/program.hpp"
#include "tests/support/files.hpp"

#include <initializer_list>
#include <string>
#include <utility>

namespace quarn::runtime::test {

// The Monday the runtime tests start their weeks on.
inline constexpr Instant kMonday = 850521600;  // 2026-12-14T00:00:00

// "2026-12-14T07:30:00" as an instant; fails the test on a bad text.
Instant At(const std::string& text);

// A daily timer entry from "HH:MM:SS" texts and a weekday mask.
TimerEntry Daily(const std::string& on, const std::string& off, int weekdays);

// Compiles text, failing the test when a condition is outside the grammar.
Program Compile(const ProgramText& text);

// A program whose relays switch on the given conditions and off on their
// negation, as the editor writes them.
Program FromConditions(std::initializer_list<std::pair<int, std::u16string>> relays,
                       std::initializer_list<std::pair<int, TimerEntry>> timers = {});

// A file with the given bytes in a scratch folder of its own, removed on
// destruction.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& bytes);
    std::u16string Path() const;

private:
    quarn::test::ScratchFolder folder_;
    std::string path_;
};

// A state-machine file as the writer lays it out, with the given timer and
// relay elements (already escaped) inside.
std::string MachineFile(const std::string& timers, const std::string& relays);
// One relay element with the given off and on transitions (already escaped
// attribute text; an empty on text leaves the on state without transition).
std::string RelayElement(int n, const std::string& offCond, const std::string& onCond);

}  // namespace quarn::runtime::test
