// Replays saved inputs through a fuzz target without the fuzzing engine:
// every file named on the command line, and every file inside every folder
// named there (recursively, in name order), is read whole and handed to
// LLVMFuzzerTestOneInput once. A target that finds a broken invariant aborts,
// so the replay fails on the first input that breaks one. A missing file or
// folder is an error, so a mistyped corpus path cannot pass as an empty
// corpus; only those named after --optional may be absent.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool CollectInputs(const fs::path& path, std::vector<fs::path>& inputs)
{
    std::error_code error;
    if (fs::is_regular_file(path, error)) {
        inputs.push_back(path);
        return true;
    }
    if (!fs::is_directory(path, error))
        return false;
    std::vector<fs::path> found;
    for (fs::recursive_directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
        // Notes about a corpus sit beside it and are not inputs.
        if (it->is_regular_file() && it->path().filename() != "README.md")
            found.push_back(it->path());
    }
    if (error)
        return false;
    std::sort(found.begin(), found.end());
    inputs.insert(inputs.end(), found.begin(), found.end());
    return true;
}

bool ReadInput(const fs::path& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    const std::string read = std::move(text).str();
    bytes.assign(read.begin(), read.end());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE-OR-FOLDER... [--optional FILE-OR-FOLDER...]\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> inputs;
    bool optional = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--optional") {
            optional = true;
            continue;
        }
        std::error_code error;
        if (optional && !fs::exists(argv[i], error))
            continue;
        if (!CollectInputs(argv[i], inputs)) {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 2;
        }
    }
    std::vector<std::uint8_t> bytes;
    for (const fs::path& input : inputs) {
        if (!ReadInput(input, bytes)) {
            std::fprintf(stderr, "%s: cannot be read\n", input.string().c_str());
            return 2;
        }
        // The engine hands over a pointer that is never null; so does the replay.
        const std::uint8_t empty = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &empty : bytes.data(), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return 0;
}
