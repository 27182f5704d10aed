// quarnctl: the command line over the state-machine document and the
// controller link.
#include "base/terminal_text.hpp"
#include "cli/commands.hpp"
#include "cli/descriptor_limit.hpp"

#include <clocale>
#include <iostream>

#ifdef _WIN32
#include "base/utf8.hpp"

#include <string>
#include <vector>

#include <windows.h>
#include <shellapi.h>
#endif

#ifndef QUARN_VERSION
#define QUARN_VERSION "unknown"
#endif

#ifdef _WIN32
namespace {

// main() gets its arguments in the ANSI code page, which cannot carry every
// file name; the commands take UTF-8, so they are read again from the wide
// command line.
std::vector<std::string> Utf8Arguments()
{
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return arguments;
    for (int i = 0; i < count; ++i) {
        const std::wstring_view argument(wide[i]);
        arguments.push_back(quarn::EncodeUtf8(std::u16string(argument.begin(), argument.end())));
    }
    LocalFree(wide);
    return arguments;
}

}  // namespace
#endif

int main(int argc, char** argv)
{
    // The narrow encoding of requests, replies and printed texts is the
    // user's; without this every program runs in the "C" locale. Numbers
    // keep the point, in arguments and in output, for scripts.
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    // deploy and status hold one socket per exchange that runs.
    quarn::cli::RaiseDescriptorLimit();
#ifdef _WIN32
    const std::vector<std::string> utf8 = Utf8Arguments();
    std::vector<const char*> utf8Pointers;
    for (const std::string& argument : utf8)
        utf8Pointers.push_back(argument.c_str());
    if (!utf8.empty()) {
        argc = static_cast<int>(utf8Pointers.size());
        argv = const_cast<char**>(utf8Pointers.data());
    }
#endif

    CLI::App app{"Command line for QUARN relay controllers and their state-machine files", "quarnctl"};
    app.set_version_flag("--version", "quarnctl " QUARN_VERSION);
    app.require_subcommand(1);

    quarn::cli::AddFileCommands(app);
#ifdef QUARN_WITH_CONVERT
    quarn::cli::AddConvertCommand(app);
#endif
    quarn::cli::AddDeviceCommands(app);
    quarn::cli::AddSimulateCommand(app);
    quarn::cli::AddDiffCommand(app);
    quarn::cli::AddCheckCommand(app);
    quarn::cli::AddExplainCommand(app);
    quarn::cli::AddReportCommand(app);
    quarn::cli::AddFleetCommands(app);
#ifdef QUARN_WITH_JOURNAL
    quarn::cli::AddJournalCommands(app);
#endif

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Usage errors all end with one status, whatever CLI11 numbers them.
        // CLI11's message repeats the arguments as given; they reach the
        // terminal only as text.
        if (error.get_exit_code() != 0 && error.get_name() != "RuntimeError") {
            std::cerr << quarn::TerminalSafeUtf8(error.what()) << "\nRun with --help for more information.\n";
            return quarn::cli::kExitBadInput;
        }
        // --help, --version, and a command's own status.
        return app.exit(error);
    } catch (const std::exception& error) {
        std::cerr << "quarnctl: " << quarn::TerminalSafeUtf8(error.what()) << '\n';
        return quarn::cli::kExitFailed;
    }
    return 0;
}
