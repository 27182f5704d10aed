// What quarnsim spends on one upload: the strict well-formedness check beside
// the document reader it guards, the whole judgement, and the request scan
// as the server repeats it for every 4 KiB that arrive (the QUARN programs'
// framing and a chunked body).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "devicelink/upload.hpp"
#include "document/file_text.hpp"
#include "document/model.hpp"
#include "document/reader.hpp"
#include "simulator/controller.hpp"
#include "simulator/http_request.hpp"
#include "simulator/well_formed.hpp"

namespace {

// A file in the writer's layout of about `size` bytes: timers, then one relay.
std::string StateMachineFile(std::size_t size)
{
    std::string xml = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<statemachine>\r\n"
                      "\t<version>bench</version>\r\n";
    for (int i = 0; size > xml.size() + 400; ++i)
        xml += "\t<timer id=\"" + std::to_string(i % 8) + "\" start=\"27000\" end=\"79200\" dow=\"31\"> </timer>\r\n";
    xml += "\t<parallel>\r\n\t\t<state id=\"R3\" initial=\"Roff3\">\r\n\t\t\t<state id=\"Roff3\">\r\n"
           "\t\t\t\t<transition target=\"Ron3\" cond=\"(#T0&amp;&amp;#T1)||#R2\"> </transition>\r\n\t\t\t</state>\r\n"
           "\t\t\t<state id=\"Ron3\">\r\n\t\t\t\t<transition target=\"Roff3\" cond=\"!((#T0&amp;&amp;#T1)||#R2)\"> "
           "</transition>\r\n\t\t\t</state>\r\n\t\t</state>\r\n\t</parallel>\r\n</statemachine>\r\n";
    return xml;
}

std::size_t SizeOf(const benchmark::State& state)
{
    return static_cast<std::size_t>(state.range(0));
}

void BM_WellFormedCheck(benchmark::State& state)
{
    std::u16string text;
    quarn::DecodeFileText(StateMachineFile(SizeOf(state)), text);
    for (auto _ : state)
        benchmark::DoNotOptimize(quarn::sim::CheckWellFormed(text, u"statemachine"));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size() * 2));
}

void BM_ReaderFromBytes(benchmark::State& state)
{
    const std::string file = StateMachineFile(SizeOf(state));
    for (auto _ : state) {
        quarn::StateMachineModel model;
        benchmark::DoNotOptimize(quarn::ReadStateMachineBytes(model, file));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

void BM_JudgeUpload(benchmark::State& state)
{
    const std::string file = StateMachineFile(SizeOf(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(quarn::sim::JudgeStateMachine(file).accepted);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

// The server scans what has arrived after every receive of up to 4 KiB.
void ScanAsItArrives(benchmark::State& state, const std::string& request)
{
    for (auto _ : state) {
        for (std::size_t have = 4096;; have += 4096) {
            const std::size_t n = have < request.size() ? have : request.size();
            const quarn::sim::RequestScan scan = quarn::sim::ScanRequest(std::string_view(request).substr(0, n));
            if (scan.state != quarn::sim::RequestState::Incomplete)
                break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * request.size()));
}

void BM_ScanProgramUpload(benchmark::State& state)
{
    ScanAsItArrives(state,
                    quarn::BuildUploadRequest(quarn::CredentialsToken(u"tovel"), StateMachineFile(SizeOf(state))));
}

void BM_ScanChunkedUpload(benchmark::State& state)
{
    const std::string file = StateMachineFile(SizeOf(state));
    std::string request = "POST /state_machine_mp.html HTTP/1.1\r\nTransfer-Encoding: chunked\r\n"
                          "Content-Type: multipart/form-data; boundary=XyZ\r\n\r\n";
    const std::string body =
        "--XyZ\r\nContent-Disposition: form-data; name=\"file\"\r\n\r\n" + file + "\r\n--XyZ--\r\n";
    for (std::size_t at = 0; at < body.size(); at += 8192) {
        const std::string piece = body.substr(at, 8192);
        char size[16];
        std::snprintf(size, sizeof size, "%zx", piece.size());
        request += std::string(size) + "\r\n" + piece + "\r\n";
    }
    ScanAsItArrives(state, request + "0\r\n\r\n");
}

constexpr std::int64_t kSmall = 1200;       // about the worked example
constexpr std::int64_t kLargest = 1000000;  // just within the 1 MiB request limit

BENCHMARK(BM_WellFormedCheck)->Arg(kSmall)->Arg(kLargest)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReaderFromBytes)->Arg(kSmall)->Arg(kLargest)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_JudgeUpload)->Arg(kSmall)->Arg(kLargest)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScanProgramUpload)->Arg(kSmall)->Arg(kLargest)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScanChunkedUpload)->Arg(kSmall)->Arg(kLargest)->Unit(benchmark::kMicrosecond);

}  // namespace
