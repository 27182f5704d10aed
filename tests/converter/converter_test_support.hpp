#pragma once
// Temporary folders, whole-file reads and writes, and a one-call conversion
// for the converter tests.

#include "converter/transform.hpp"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quarn::test {

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

bool WriteText(const std::string& path, std::string_view text);
// The file's bytes; empty when it cannot be read.
std::string ReadText(const std::string& path);
bool Exists(const std::string& path);

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
