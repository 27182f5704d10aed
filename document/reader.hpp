#pragma once
// Reads a state-machine file into the document.

#include "document/model.hpp"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quarn {

// ReadStateMachineFile's result besides 0 and a system error number.
inline constexpr int kReadNoFile = -1;

// The text of a read that failed.
inline constexpr char16_t kCannotReadText[] = u"Cannot open the file for reading";

struct ReadOutcome {
    // 0 when the file was read, kReadNoFile, or the system's error number.
    int code = 0;
    std::u16string text;  // what the user is told; empty when code is 0

    bool read() const { return code == 0; }
};

// The steps the editor window plugs into a read.
struct ReaderHooks {
    std::function<void(const std::u16string& path)> reportUsed;  // before the file is opened
    std::function<void()> showModel;                             // after every attempt
    // For every relay the reader takes into the model, in file order: the
    // condition of the first transition anywhere below its on state, with the
    // writer's escapes turned back, or nothing when the on state has none.
    // What a controller runs needs it; the editor's document does not keep it.
    std::function<void(int relay, const std::optional<std::u16string>& onCondition)> relayTaken;
    // The name of the document's root element (empty when it has none), once
    // the text is parsed. Programs that run a file refuse one that is not a
    // state machine; the editor reads what it can.
    std::function<void(std::u16string_view name)> rootElement;
    // A relay state R0-R7 that the reader leaves out because its states are
    // not the off and on pair the editor writes, and why, in file order.
    std::function<void(int relay, std::u16string_view why)> relayLeftOut;
};

// Resets the model, then reads model.path into it. The code is 0 when the
// file was opened and parsed, -1 when the path is empty, names no existing
// file or the file holds no text, and the system's error number when the
// file exists but cannot be opened or read (also for a UTF-16 big-endian
// file); the text is kCannotReadText for all but 0. The path stays as it is
// and modified is off afterwards in every case.
ReadOutcome ReadStateMachineFile(StateMachineModel& model, const ReaderHooks& hooks = {});

// ReadStateMachineFile over the bytes of a file held in memory, decoded and
// read by the same rules: code 0, -1 when the bytes hold no text, or EINVAL
// for UTF-16 big-endian. The path stays as it is and modified is off afterwards.
// Of the hooks only relayTaken is called.
ReadOutcome ReadStateMachineBytes(StateMachineModel& model, std::string_view bytes, const ReaderHooks& hooks = {});

// True when a state-machine file's bytes, read by the rules above, switch no
// relay: every relay's condition is empty, as it is for bytes without text. A
// controller given such a file runs a program that switches nothing. False
// when a relay is used, and for bytes the reader cannot decode.
bool SwitchesNoRelay(std::string_view bytes);

// Fills an already reset model from the decoded text of a file. Returns
// false when the text is empty.
bool ReadStateMachineText(StateMachineModel& model, std::u16string_view text);

}  // namespace quarn
