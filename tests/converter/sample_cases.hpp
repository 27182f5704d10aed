#pragma once
// The real tool exports in the shared sample folder, and for those that can
// be made to follow the relay convention the text edits that do it (states
// renamed, a guard written or retargeted) with the relay they then give.

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace quarn::test {

struct SampleCase {
    const char* label;
    const char* file;  // relative to the sample folder
    std::vector<std::string> unmappedStates;
    std::vector<std::pair<std::string, std::string>> edits;
    int relay = -1;
    const char* condition = "";  // as escaped in the file
    const char* version = "";
};

const std::vector<SampleCase>& SampleCases();
// The cases with edits.
std::vector<SampleCase> RelayCopies();
// The sample's text with the edits made; empty when one of them does not apply.
std::string RelayCopyText(const SampleCase& sample, const std::string& original);

void PrintTo(const SampleCase& sample, std::ostream* out);

}  // namespace quarn::test
