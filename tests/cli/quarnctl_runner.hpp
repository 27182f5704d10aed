#pragma once
// Runs the built quarnctl through the shell with its output captured, in a
// scratch folder of its own (POSIX only).

#include "tests/support/files.hpp"

#include <filesystem>
#include <string>

namespace quarn::test {

class QuarnctlRunner {
public:
    struct Run {
        int status = -1;
        std::string out;
        std::string err;
    };

    // arguments is shell text; quote paths with Quoted. A run that does not
    // end within the support's deadline is killed and fails the test.
    Run operator()(const std::string& arguments) const;

    static std::string Quoted(const std::string& text);
    static std::string Read(const std::filesystem::path& path);
    static void Write(const std::filesystem::path& path, const std::string& bytes);
    std::string Path(const std::string& name) const { return folder_.File(name); }

private:
    ScratchFolder folder_;
};

}  // namespace quarn::test
