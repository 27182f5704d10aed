// quarnctl: the command line over the state-machine document and the
// controller link.
#include "cli/commands.hpp"

#include <iostream>

#ifndef QUARN_VERSION
#define QUARN_VERSION "unknown"
#endif

int main(int argc, char** argv)
{
    CLI::App app{"Command line for QUARN relay controllers and their state-machine files", "quarnctl"};
    app.set_version_flag("--version", "quarnctl " QUARN_VERSION);
    app.require_subcommand(1);

    quarn::cli::AddFileCommands(app);
#ifdef QUARN_WITH_CONVERT
    quarn::cli::AddConvertCommand(app);
#endif
    quarn::cli::AddDeviceCommands(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        // Usage errors all end with one status, whatever CLI11 numbers them.
        if (status != 0 && error.get_name() != "RuntimeError")
            return quarn::cli::kExitBadInput;
        return status;
    } catch (const std::exception& error) {
        std::cerr << "quarnctl: " << error.what() << '\n';
        return quarn::cli::kExitFailed;
    }
    return 0;
}
