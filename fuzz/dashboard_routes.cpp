// quarnsim's routes: Controller::Handle over requests with any method,
// target and token, on a clock that stands still. Invariants: every reply
// starts with a status line and carries the status it reports; only a POST
// with this run's token changes relays or inputs (the controller's own
// control.html on a GET aside); state.json stays JSON-shaped.
//
// Input: lines; the first is the method, the second the target, the third
// "token" (the right one), anything else (that header as given) or nothing.

#include "fuzz/fuzz_check.hpp"
#include "simulator/controller.hpp"
#include "simulator/http_request.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quarn;
    std::vector<std::string> lines;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    while (!text.empty() && lines.size() < 3) {
        const std::size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    lines.resize(3);

    sim::ControllerOptions options;
    options.clock = [] { return runtime::Instant{850000000}; };
    static sim::Controller controller(options);
    sim::HttpRequest request;
    request.method = lines[0];
    request.target = lines[1];
    request.version = "HTTP/1.0";
    if (lines[2] == "token")
        request.headerLines.push_back("X-Quarn-Token: " + controller.DashboardToken());
    else if (!lines[2].empty())
        request.headerLines.push_back(lines[2]);

    const std::string before = controller.Handle(sim::HttpRequest{"GET", "/state.json", "HTTP/1.0", {}, {}}).bytes;
    const sim::Reply reply = controller.Handle(request);
    FUZZ_CHECK(reply.bytes.rfind("HTTP/1.0 " + std::to_string(reply.status) + " ", 0) == 0);
    const std::string after = controller.Handle(sim::HttpRequest{"GET", "/state.json", "HTTP/1.0", {}, {}}).bytes;
    const bool mayChange = (request.method == "POST" && lines[2] == "token") ||
                           (request.method == "GET" && request.target.rfind("/control.html", 0) == 0);
    if (!mayChange)
        FUZZ_CHECK(before == after);
    FUZZ_CHECK(after.find("\"signals\"") != std::string::npos);
    return 0;
}
