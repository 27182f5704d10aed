// quarnsim's request handling over arbitrary bytes: the scan for a whole
// request (chunked bodies and LF line ends included), the uploaded file, the
// credentials, the strict check of an upload and the simulated controller's
// answer to a complete request.

#include "document/file_text.hpp"
#include "document/model.hpp"
#include "document/reader.hpp"
#include "fuzz/fuzz_check.hpp"
#include "simulator/controller.hpp"
#include "simulator/http_request.hpp"
#include "simulator/well_formed.hpp"

#include <cstdio>

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

    // A decoded chunked body, sent again as chunks of another size, decodes
    // to the same bytes.
    const auto coding = request.Header("Transfer-Encoding");
    if (coding.has_value()) {
        std::string again =
            request.method + " " + request.target + " " + request.version + "\r\nTransfer-Encoding: chunked\r\n\r\n";
        for (std::size_t at = 0; at < request.body.size(); at += 7) {
            const std::string_view piece = std::string_view(request.body).substr(at, 7);
            char pieceSize[8];
            std::snprintf(pieceSize, sizeof pieceSize, "%zx", piece.size());
            again += std::string(pieceSize) + "\n" + std::string(piece) + "\r\n";
        }
        again += "0\r\n\r\n";
        const RequestScan rescan = ScanRequest(again);
        FUZZ_CHECK(rescan.state == RequestState::Complete);
        FUZZ_CHECK(rescan.request.body == request.body);
    }

    // What the strict check lets through, the reader reads.
    std::u16string text;
    if (quarn::DecodeFileText(request.body, text) == 0 && !CheckWellFormed(text, u"statemachine").has_value()) {
        quarn::StateMachineModel model;
        FUZZ_CHECK(quarn::ReadStateMachineBytes(model, request.body).read());
    }

    // No store: an accepted upload is judged but not kept.
    static Controller controller("tovel", {});
    const Reply reply = controller.Handle(request);
    FUZZ_CHECK(reply.bytes.starts_with("HTTP/1."));
    for (const Fault fault : {Fault::NoStatusLine, Fault::Unauthorized11, Fault::Oversize, Fault::ZeroByte})
        (void)ApplyFault(fault, reply.bytes);
    return 0;
}
