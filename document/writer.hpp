#pragma once
// Writes the document to its state-machine file: UTF-8 with a byte-order
// mark and CR LF line ends.

#include "document/model.hpp"

#include <functional>
#include <string>

namespace quarn {

enum class WriteResult {
    Written = 0,     // the file holds the document
    NotWritten = 1,  // the file could not be written; the old file is unchanged
    PathEmpty = 2,   // no path: nothing happened
};

struct WriteOutcome {
    WriteResult code = WriteResult::Written;
    std::u16string text;  // what the user is told; empty unless NotWritten

    bool written() const { return code == WriteResult::Written; }
};

// The text of a write that failed.
inline constexpr char16_t kCannotWriteText[] = u"Cannot open the file for writing";

// The steps the editor window plugs into a write.
struct WriterHooks {
    std::function<void()> takeFields;                            // fields -> model, before building
    std::function<void(const std::u16string& path)> reportUsed;  // after a successful write
};

// Writes model to model.path. With an empty path nothing happens. Otherwise
// modified is cleared, the fields are taken, an empty version becomes the
// file's base name ("office" for ".../office.xml"), and the file is replaced
// as a whole: it is first written in full beside the target and then moved
// over it, so a failure at any point leaves the old file as it was.
WriteOutcome WriteStateMachineFile(StateMachineModel& model, const WriterHooks& hooks = {});

// The exact bytes of the file for model, byte-order mark included. Does not
// touch model.
std::string StateMachineFileBytes(const StateMachineModel& model);

// The file name of path without its directory and its last extension.
std::u16string BaseNameOfPath(const std::u16string& path);

}  // namespace quarn
