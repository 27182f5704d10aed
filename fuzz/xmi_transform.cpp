// The XMI transformation over mutated XMI exports: the stylesheet applied by
// the XSLT engine to arbitrary bytes of bounded size, then the state-machine
// reader over whatever the stylesheet wrote. Sources whose DTD declares
// entities are refused, so no input can make the result grow beyond a small
// multiple of itself.

#include "base/utf8.hpp"
#include "converter/transform.hpp"
#include "document/model.hpp"
#include "document/reader.hpp"
#include "fuzz/fuzz_check.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

#ifndef QUARN_FUZZ_STYLESHEET
#error "QUARN_FUZZ_STYLESHEET must name morvex.xsl"
#endif

namespace {

namespace fs = std::filesystem;

// Exports of real models are far smaller; larger inputs only slow the search.
constexpr std::size_t kMaxInput = 64 * 1024;

// One scratch folder per process, removed at exit.
const fs::path& ScratchFolder()
{
    static const fs::path folder = [] {
        std::error_code error;
        const fs::path made = fs::temp_directory_path(error) / ("quarn-fuzz-xmi-" + std::to_string(::getpid()));
        fs::create_directories(made, error);
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(ScratchFolder(), ignored);
        });
        return made;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quarn;
    if (size > kMaxInput)
        return 0;
    const fs::path source = ScratchFolder() / "model.xmi";
    const fs::path destination = ScratchFolder() / "model.xml";
    std::error_code error;
    fs::remove(destination, error);
    {
        std::ofstream out(source, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        FUZZ_CHECK(out.good());
    }

    const TransformOutcome outcome =
        TransformXmiToXml(source.u16string(), destination.u16string(), DecodeUtf8(QUARN_FUZZ_STYLESHEET));
    FUZZ_CHECK(outcome.status != TransformStatus::NothingDone);
    FUZZ_CHECK(!TransformOutcomeText(outcome).empty());
    if (outcome.status == TransformStatus::Failure) {
        FUZZ_CHECK(outcome.code != 0);
        FUZZ_CHECK(!fs::exists(destination));
        return 0;
    }
    FUZZ_CHECK(fs::exists(destination));
    // Nothing in the input is expanded: no entity is ever substituted, so the
    // file stays within a small multiple of the input (names are escaped,
    // "&" becoming five characters) plus its fixed frame of timers and relays.
    FUZZ_CHECK(fs::file_size(destination, error) <= 5 * size + 16384);

    StateMachineModel model;
    model.path = destination.u16string();
    const int read = ReadStateMachineFile(model).code;
    FUZZ_CHECK(read == 0 || read == kReadNoFile);
    return 0;
}
