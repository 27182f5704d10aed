// The converter's transformation of a generated 1,000-state XMI against
// running xsltproc with the same stylesheet on the same file.
#include "bench/sample_documents.hpp"
#include "converter/transform.hpp"

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Files {
    fs::path folder = fs::temp_directory_path() / "quarn-bench-converter";
    fs::path source = folder / "plant.xmi";
    fs::path ours = folder / "plant-ours.xml";
    fs::path peer = folder / "plant-xsltproc.xml";
    bool ready = false;

    Files()
    {
        std::error_code error;
        fs::create_directories(folder, error);
        ready = quarn::bench::WriteFileBytes(source.string(), quarn::bench::XmiWithStates(1000));
    }
};

const Files& Inputs()
{
    static const Files files;
    return files;
}

void BM_Convert_Transform(benchmark::State& state)
{
    const Files& files = Inputs();
    const std::u16string source = files.source.u16string();
    const std::u16string destination = files.ours.u16string();
    const std::u16string stylesheet = fs::path(quarn::bench::StylesheetPath()).u16string();
    for (auto _ : state) {
        const quarn::TransformOutcome outcome = quarn::TransformXmiToXml(source, destination, stylesheet);
        if (outcome.status != quarn::TransformStatus::Success) {
            state.SkipWithError("transformation failed");
            break;
        }
    }
    state.counters["out_bytes"] = static_cast<double>(fs::file_size(files.ours));
}
BENCHMARK(BM_Convert_Transform)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole xsltproc run, process start included: that is what a user of the
// plain tool waits for.
void BM_Convert_Xsltproc(benchmark::State& state)
{
    const Files& files = Inputs();
    const std::string stylesheet = quarn::bench::StylesheetPath();
    const std::string output = files.peer.string();
    const std::string source = files.source.string();
    for (auto _ : state) {
        char* argv[] = {const_cast<char*>("xsltproc"),
                        const_cast<char*>("--nonet"),
                        const_cast<char*>("-o"),
                        const_cast<char*>(output.c_str()),
                        const_cast<char*>(stylesheet.c_str()),
                        const_cast<char*>(source.c_str()),
                        nullptr};
        pid_t pid = 0;
        int status = -1;
        if (posix_spawnp(&pid, "xsltproc", nullptr, nullptr, argv, environ) != 0 || waitpid(pid, &status, 0) != pid ||
            !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("xsltproc failed (is it installed?)");
            break;
        }
    }
    std::error_code error;
    state.counters["out_bytes"] = static_cast<double>(fs::file_size(files.peer, error));
}
BENCHMARK(BM_Convert_Xsltproc)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
