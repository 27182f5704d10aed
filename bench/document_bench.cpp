// The state-machine reader and writer on the worked example: the latency of
// one Open and one Save as the editor runs them, file system included, and
// the same steps in memory.
#include "bench/sample_documents.hpp"
#include "document/file_text.hpp"
#include "document/reader.hpp"
#include "document/writer.hpp"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

std::u16string Wide(const std::string& text)
{
    return std::filesystem::path(text).u16string();
}

void BM_Read_WorkedExampleFile(benchmark::State& state)
{
    quarn::StateMachineModel model;
    const std::u16string path = Wide(quarn::bench::WorkedExamplePath());
    for (auto _ : state) {
        model.path = path;
        if (!quarn::ReadStateMachineFile(model).read()) {
            state.SkipWithError("read failed");
            break;
        }
    }
}
BENCHMARK(BM_Read_WorkedExampleFile)->Unit(benchmark::kMicrosecond);

void BM_Write_WorkedExampleFile(benchmark::State& state)
{
    quarn::StateMachineModel model;
    model.path = Wide(quarn::bench::WorkedExamplePath());
    quarn::ReadStateMachineFile(model);
    const std::filesystem::path target = std::filesystem::temp_directory_path() / "quarn-bench-office.xml";
    model.path = target.u16string();
    for (auto _ : state) {
        if (!quarn::WriteStateMachineFile(model).written()) {
            state.SkipWithError("write failed");
            break;
        }
    }
    std::filesystem::remove(target);
}
BENCHMARK(BM_Write_WorkedExampleFile)->Unit(benchmark::kMicrosecond);

void BM_Read_WorkedExampleInMemory(benchmark::State& state)
{
    const std::string bytes = quarn::bench::WorkedExampleBytes();
    for (auto _ : state) {
        std::u16string text;
        quarn::DecodeFileText(bytes, text);
        quarn::StateMachineModel model;
        quarn::ReadStateMachineText(model, text);
        benchmark::DoNotOptimize(model.relays[3].data());
    }
}
BENCHMARK(BM_Read_WorkedExampleInMemory)->Unit(benchmark::kMicrosecond);

void BM_Write_WorkedExampleInMemory(benchmark::State& state)
{
    quarn::StateMachineModel model;
    model.path = Wide(quarn::bench::WorkedExamplePath());
    quarn::ReadStateMachineFile(model);
    for (auto _ : state) {
        const std::string bytes = quarn::StateMachineFileBytes(model);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_Write_WorkedExampleInMemory)->Unit(benchmark::kMicrosecond);

}  // namespace
