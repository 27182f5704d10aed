#include "runtime/local_clock.hpp"

#include <ctime>

namespace quarn::runtime {

Instant LocalNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm fields{};
#ifdef _WIN32
    if (localtime_s(&fields, &now) != 0)
        return 0;
#else
    if (localtime_r(&now, &fields) == nullptr)
        return 0;
#endif
    // A leap second counts as the second before it.
    return InstantOf({fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min,
                      fields.tm_sec > 59 ? 59 : fields.tm_sec});
}

}  // namespace quarn::runtime
