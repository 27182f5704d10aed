#include "tests/support/files.hpp"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace quarn::test {

ScratchFolder::ScratchFolder()
{
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = std::filesystem::temp_directory_path() / ("quarn-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("no scratch folder");
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::Listing() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string text;
    for (const auto& name : names)
        text += name + "\n";
    return text;
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

bool WriteBytes(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool Exists(const std::filesystem::path& path)
{
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

std::u16string U16Path(const std::filesystem::path& path)
{
    return path.u16string();
}

std::string Fixture(const std::string& name)
{
    return ReadBytes(std::filesystem::path(QUARN_DOCUMENT_FIXTURES) / name);
}

bool RunningAsRoot()
{
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
}

}  // namespace quarn::test
