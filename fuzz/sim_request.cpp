// quarnsim's request handling over arbitrary bytes: the scan for a whole
// request, the uploaded file, the credentials and the simulated controller's
// answer to a complete request.

#include "fuzz/fuzz_check.hpp"
#include "simulator/controller.hpp"
#include "simulator/http_request.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quarn::sim;
    const std::string_view received(reinterpret_cast<const char*>(data), size);

    const RequestScan scan = ScanRequest(received);
    if (scan.state != RequestState::Complete)
        return 0;
    const HttpRequest& request = scan.request;
    FUZZ_CHECK(request.body.size() <= received.size());
    (void)request.Header("Authorization");
    (void)request.Header("content-length");
    (void)HasCredentials(request, "tovel");
    (void)HasCredentials(request, "");
    const auto file = UploadedFile(request);
    if (file.has_value())
        FUZZ_CHECK(file->size() <= request.body.size());

    // No store: an accepted upload is judged but not kept.
    static Controller controller("tovel", {});
    const Reply reply = controller.Handle(request);
    FUZZ_CHECK(reply.bytes.starts_with("HTTP/1."));
    for (const Fault fault : {Fault::NoStatusLine, Fault::Unauthorized11, Fault::Oversize, Fault::ZeroByte})
        (void)ApplyFault(fault, reply.bytes);
    return 0;
}
