#include "cli/descriptor_limit.hpp"

#include <algorithm>

#ifndef _WIN32
#include <dirent.h>
#include <sys/resource.h>
#endif

namespace quarn::cli {

namespace {

// Descriptors kept free for what is opened besides the sockets.
constexpr std::size_t kReserve = 32;

#ifndef _WIN32
// The descriptors open now, counted in /proc/self/fd or /dev/fd; 0 when
// neither can be read.
std::size_t OpenDescriptors()
{
    for (const char* folder : {"/proc/self/fd", "/dev/fd"}) {
        DIR* dir = ::opendir(folder);
        if (dir == nullptr)
            continue;
        std::size_t count = 0;
        while (const dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.')
                ++count;
        }
        ::closedir(dir);
        return count > 0 ? count - 1 : 0;  // less the one that reads the folder
    }
    return 0;
}
#endif

}  // namespace

void RaiseDescriptorLimit()
{
#ifndef _WIN32
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
#endif
}

std::size_t ExchangesThatFit(std::size_t wanted)
{
#ifndef _WIN32
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return wanted;
    const std::size_t soft = static_cast<std::size_t>(limit.rlim_cur);
    const std::size_t used = OpenDescriptors() + kReserve;
    const std::size_t free = soft > used ? soft - used : 1;
    return std::max<std::size_t>(1, std::min(wanted, free));
#else
    return wanted;
#endif
}

}  // namespace quarn::cli
