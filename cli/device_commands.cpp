// quarnctl upload, relays and switch: the controller from the command line,
// through the same upload and direct-control code as the programs.
#include "base/controller_facts.hpp"
#include "base/file_name.hpp"
#include "cli/commands.hpp"
#include "cli/device_report.hpp"
#include "cli/number_options.hpp"
#include "devicelink/direct_control.hpp"
#include "devicelink/narrow_text.hpp"
#include "devicelink/socket_layer.hpp"
#include "devicelink/upload.hpp"

#include <cctype>
#include <iostream>
#include <memory>
#include <string>

namespace quarn::cli {

namespace {

struct DeviceTarget {
    std::string host;
    int port = kControllerPort;
    double timeLimit = kDefaultTimeLimitSeconds;
};

void AddTargetOptions(CLI::App& command, DeviceTarget& target)
{
    command.add_option("--host", target.host, "the controller's address or host name")->required();
    command.add_option("--port", target.port, "the controller's TCP port")
        ->capture_default_str()
        ->transform(DecimalNumber())
        ->check(CLI::Range(1, 65535));
    AddTimeLimitOption(command, target.timeLimit);
}

ExchangeOptions OptionsFor(const DeviceTarget& target)
{
    ExchangeOptions options;
    options.port = static_cast<std::uint16_t>(target.port);
    options.timeLimit = TimeLimit(target.timeLimit);
    return options;
}

[[noreturn]] void Fail(const DeviceReport& report)
{
    std::cerr << report.terminal << '\n';
    throw CLI::RuntimeError(kExitFailed);
}

void PrintRelays(std::int32_t mask)
{
    for (int i = 0; i < kRelayCount; ++i)
        std::cout << 'R' << i << ' ' << (RelayOn(mask, i) ? "on" : "off") << '\n';
}

void Upload(const DeviceTarget& target, const std::string& password, const std::string& file)
{
    RequireSockets();
    UploadOptions options;
    options.variant = UploadVariant::Converter;
    options.exchange = OptionsFor(target);
    const UploadOutcome outcome =
        UploadStateMachine(ToWide(target.host), FileNameFromBytes(file), ToWide(password), options);
    const DeviceReport report = ReportUpload(outcome, file);
    if (!report.ok)
        Fail(report);
    std::cout << report.terminal << '\n';
}

void Relays(const DeviceTarget& target)
{
    RequireSockets();
    const ControlResult result = SendControlRequest(ToWide(target.host), kControlPage, OptionsFor(target));
    const DeviceReport report = ReportControl(result, kControlPage);
    if (!report.ok)
        Fail(report);
    PrintRelays(*result.mask);
}

void Switch(const DeviceTarget& target, const std::string& relay, const std::string& state)
{
    RequireSockets();
    const int number = relay[1] - '0';
    const bool on = state == "on";
    const ControlResult result = SendControlRequest(ToWide(target.host), RelayQuery(number, on), OptionsFor(target));
    const DeviceReport report = ReportSwitch(result, number, on);
    // The states are shown whenever the controller sent them, also when the
    // relay did not switch.
    if (result.status == 200 && result.mask)
        PrintRelays(*result.mask);
    if (!report.ok)
        Fail(report);
}

}  // namespace

void RequireSockets()
{
    if (!net::StartSocketLayer()) {
        std::cerr << "Failed to initialize sockets\n";
        throw CLI::RuntimeError(kExitFailed);
    }
}

void AddDeviceCommands(CLI::App& app)
{
    {
        auto target = std::make_shared<DeviceTarget>();
        auto password = std::make_shared<std::string>(kDefaultPassword);
        auto file = std::make_shared<std::string>();
        CLI::App* command = app.add_subcommand("upload", "Send a state-machine file to the controller");
        AddTargetOptions(*command, *target);
        command->add_option("--password", *password, "the password of the controller's user admin")
            ->capture_default_str();
        command->add_option("FILE", *file, "the state-machine file")->required();
        command->callback([target, password, file] { Upload(*target, *password, *file); });
    }
    {
        auto target = std::make_shared<DeviceTarget>();
        CLI::App* command = app.add_subcommand("relays", "Show the controller's eight relay states");
        AddTargetOptions(*command, *target);
        command->callback([target] { Relays(*target); });
    }
    {
        auto target = std::make_shared<DeviceTarget>();
        auto relay = std::make_shared<std::string>();
        auto state = std::make_shared<std::string>();
        CLI::App* command = app.add_subcommand("switch", "Switch one relay on or off, then show all eight");
        AddTargetOptions(*command, *target);
        command->add_option("RELAY", *relay, "R0 to R7")->required()->transform([](std::string value) {
            if (value.size() == 2 && (value[0] == 'R' || value[0] == 'r') && value[1] >= '0' && value[1] <= '7') {
                value[0] = 'R';
                return value;
            }
            // CLI11 puts the option's name in front of the text.
            throw CLI::ValidationError("must be R0 to R7, not " + value);
        });
        command->add_option("STATE", *state, "on or off")->required()->check(CLI::IsMember({"on", "off"}));
        command->callback([target, relay, state] { Switch(*target, *relay, *state); });
    }
}

}  // namespace quarn::cli
