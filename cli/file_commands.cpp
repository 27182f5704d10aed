// quarnctl show and quarnctl write: the state-machine file from the command
// line, through the same reader and writer as the editor.
#include "base/file_name.hpp"
#include "base/terminal_text.hpp"
#include "base/utf8.hpp"
#include "cli/commands.hpp"
#include "cli/model_json.hpp"
#include "cli/timer_cells.hpp"
#include "document/file_access.hpp"
#include "document/reader.hpp"
#include "document/writer.hpp"

#include <iostream>
#include <iterator>
#include <sstream>

namespace quarn::cli {

namespace {

std::string Padded(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

void PrintTable(const StateMachineModel& model, std::ostream& out)
{
    out << "Version: " << TerminalSafeUtf8(EncodeUtf8(model.version)) << "\n\n";
    out << "Timer  ON date     ON time   OFF date    OFF time  Weekdays\n";
    for (int n = 0; n < kTimerCount; ++n) {
        const TimerEntry& timer = model.timers[n];
        out << Padded("T" + std::to_string(n), 7) << Padded(DateCell(timer.onDate), 12)
            << Padded(TimeCell(timer.onTime), 10) << Padded(DateCell(timer.offDate), 12)
            << Padded(TimeCell(timer.offTime), 10) << WeekdaysCell(timer) << '\n';
    }
    out << "\nRelay  Condition\n";
    for (int n = 0; n < kRelayCount; ++n) {
        const std::string condition = TerminalSafeUtf8(EncodeUtf8(model.relays[n]));
        out << Padded("R" + std::to_string(n), 7) << (condition.empty() ? "(not used)" : condition) << '\n';
    }
}

void Show(const std::string& file, bool asJson)
{
    StateMachineModel model;
    model.path = FileNameFromBytes(file);
    if (const ReadOutcome outcome = ReadStateMachineFile(model); !outcome.read()) {
        std::cerr << EncodeUtf8(outcome.text) << '\n';
        throw CLI::RuntimeError(kExitFailed);
    }
    if (asJson)
        std::cout << ModelToJson(model).dump(2) << '\n';
    else
        PrintTable(model, std::cout);
}

void Write(const std::string& jsonFile, const std::string& file)
{
    // Read through the document's file access, which opens UTF-16 paths on
    // every platform.
    std::string text;
    if (ReadWholeFile(FileNameFromBytes(jsonFile), text) != 0) {
        std::cerr << "quarnctl: " << TerminalSafeUtf8(jsonFile) << ": cannot be read\n";
        throw CLI::RuntimeError(kExitBadInput);
    }
    const nlohmann::json input = nlohmann::json::parse(text, nullptr, false);
    if (input.is_discarded()) {
        std::cerr << "quarnctl: " << TerminalSafeUtf8(jsonFile) << ": not valid JSON\n";
        throw CLI::RuntimeError(kExitBadInput);
    }
    StateMachineModel model;
    if (const std::optional<std::string> error = ModelFromJson(input, model)) {
        std::cerr << "quarnctl: " << TerminalSafeUtf8(jsonFile) << ": " << TerminalSafeUtf8(*error) << '\n';
        throw CLI::RuntimeError(kExitBadInput);
    }
    model.path = FileNameFromBytes(file);
    const WriteOutcome outcome = WriteStateMachineFile(model);
    if (!outcome.written()) {
        std::cerr << EncodeUtf8(outcome.text.empty() ? std::u16string(kCannotWriteText) : outcome.text) << '\n';
        throw CLI::RuntimeError(kExitFailed);
    }
}

}  // namespace

void AddFileCommands(CLI::App& app)
{
    struct ShowOptions {
        std::string file;
        bool json = false;
    };
    auto showOptions = std::make_shared<ShowOptions>();
    CLI::App* show = app.add_subcommand("show", "Print a state-machine file's timers and relay conditions");
    show->add_flag("--json", showOptions->json, "Print the document as JSON");
    show->add_option("FILE", showOptions->file, "State-machine file")->required();
    show->callback([showOptions] { Show(showOptions->file, showOptions->json); });

    struct WriteOptions {
        std::string model;
        std::string file;
    };
    auto writeOptions = std::make_shared<WriteOptions>();
    CLI::App* write = app.add_subcommand("write", "Write a state-machine file from a JSON document");
    write->add_option("MODEL.json", writeOptions->model, "The document as JSON")->required();
    write->add_option("FILE", writeOptions->file, "State-machine file to write")->required();
    write->callback([writeOptions] { Write(writeOptions->model, writeOptions->file); });
}

}  // namespace quarn::cli
