#pragma once
// Runs the built quarnctl through the shell with its output captured, in a
// scratch folder of its own (POSIX only).

#include <filesystem>
#include <string>

namespace quarn::test {

class QuarnctlRunner {
public:
    QuarnctlRunner();
    ~QuarnctlRunner();
    QuarnctlRunner(const QuarnctlRunner&) = delete;
    QuarnctlRunner& operator=(const QuarnctlRunner&) = delete;

    struct Run {
        int status = -1;
        std::string out;
        std::string err;
    };

    // arguments is shell text; quote paths with Quoted.
    Run operator()(const std::string& arguments) const;

    static std::string Quoted(const std::string& text);
    static std::string Read(const std::filesystem::path& path);
    static void Write(const std::filesystem::path& path, const std::string& bytes);
    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

private:
    std::filesystem::path folder_;
};

}  // namespace quarn::test
