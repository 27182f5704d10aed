// quarnctl upload, relays and switch: the controller from the command line,
// through the same upload and direct-control code as the programs.
#include "cli/commands.hpp"
#include "devicelink/direct_control.hpp"
#include "devicelink/narrow_text.hpp"
#include "devicelink/socket_layer.hpp"
#include "devicelink/upload.hpp"
#include "document/utf8.hpp"

#include <cctype>
#include <iostream>
#include <memory>
#include <string>

namespace quarn::cli {

namespace {

struct DeviceTarget {
    std::string host;
    int port = kControllerPort;
};

void AddTargetOptions(CLI::App& command, DeviceTarget& target)
{
    command.add_option("--host", target.host, "the controller's address or host name")->required();
    command.add_option("--port", target.port, "the controller's TCP port")
        ->capture_default_str()
        ->check(CLI::Range(1, 65535));
}

ExchangeOptions OptionsFor(const DeviceTarget& target)
{
    ExchangeOptions options;
    options.port = static_cast<std::uint16_t>(target.port);
    return options;
}

void RequireSockets()
{
    if (!net::StartSocketLayer()) {
        std::cerr << "Failed to initialize sockets\n";
        throw CLI::RuntimeError(kExitFailed);
    }
}

[[noreturn]] void Fail(const std::u16string& text, int status = kExitFailed)
{
    std::cerr << ToNarrow(text) << '\n';
    throw CLI::RuntimeError(status);
}

void PrintRelays(std::int32_t mask)
{
    for (int i = 0; i < kControllerRelays; ++i)
        std::cout << 'R' << i << ' ' << (RelayOn(mask, i) ? "on" : "off") << '\n';
}

// The outcome of a direct-control request: the relay states, or why there
// are none.
void ReportControl(const ControlResult& result, const std::string& page)
{
    if (result.code == 200 && result.mask) {
        PrintRelays(*result.mask);
        return;
    }
    if (result.code == 200)
        Fail(u"The controller's page " + ToWide(page) + u" shows no relay states");
    Fail(result.socketFailure ? CannotConnectText(result.code) : StatusText(result.code));
}

void Upload(const DeviceTarget& target, const std::string& password, const std::string& file)
{
    RequireSockets();
    UploadOptions options;
    options.variant = UploadVariant::Converter;
    options.exchange = OptionsFor(target);
    const UploadOutcome outcome = UploadStateMachine(ToWide(target.host), DecodeUtf8(file), ToWide(password), options);
    if (outcome.code == 200 && !outcome.text.empty()) {
        std::cout << ToNarrow(outcome.text) << '\n';
        return;
    }
    if (outcome.code == 200)
        Fail(u"The controller's reply carries no message");
    Fail(outcome.text);
}

void Relays(const DeviceTarget& target)
{
    RequireSockets();
    const ControlResult result = SendControlRequest(ToWide(target.host), kControlPage, OptionsFor(target));
    ReportControl(result, std::string(kControlPage));
}

void Switch(const DeviceTarget& target, const std::string& relay, const std::string& state)
{
    RequireSockets();
    const ControlResult result =
        SendControlRequest(ToWide(target.host), RelayQuery(relay[1] - '0', state == "on"), OptionsFor(target));
    ReportControl(result, RelayQuery(relay[1] - '0', state == "on"));
}

}  // namespace

void AddDeviceCommands(CLI::App& app)
{
    {
        auto target = std::make_shared<DeviceTarget>();
        auto password = std::make_shared<std::string>("tovel");
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
        command->add_option("RELAY", *relay, "R0 to R7")
            ->required()
            ->transform([](std::string value) {
                if (value.size() == 2 && (value[0] == 'R' || value[0] == 'r') && value[1] >= '0' && value[1] <= '7') {
                    value[0] = 'R';
                    return value;
                }
                throw CLI::ValidationError("RELAY", "must be R0 to R7, not " + value);
            });
        command->add_option("STATE", *state, "on or off")->required()->check(CLI::IsMember({"on", "off"}));
        command->callback([target, relay, state] { Switch(*target, *relay, *state); });
    }
}

}  // namespace quarn::cli
