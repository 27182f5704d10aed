#pragma once
// Paths of the stylesheet, fixtures and samples, and a one-call conversion
// for the converter tests.

#include "converter/transform.hpp"
#include "tests/support/files.hpp"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quarn::test {

// The stylesheet of the source tree.
std::string Stylesheet();
std::string FixturePath(std::string_view name);
std::string SamplePath(std::string_view relative);

// Every occurrence of from replaced by to; the count of replacements.
int ReplaceAll(std::string& text, std::string_view from, std::string_view to);

struct Conversion {
    TransformOutcome outcome;
    std::string output;              // the written file, empty when none
    std::vector<std::string> notes;  // outcome.notes as UTF-8
    bool HasNote(std::string_view part) const;
    std::string AllNotes() const;
};

// Converts the XMI text with the given stylesheet (the source tree's by
// default) in a temporary folder.
Conversion ConvertText(std::string_view xmi, const std::string& stylesheet = Stylesheet());
Conversion ConvertFile(const std::string& xmiPath, const std::string& stylesheet = Stylesheet());

}  // namespace quarn::test
