#include "cli/fleet.hpp"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace quarn::cli {

void RunJobs(std::size_t count, std::size_t parallel, const std::function<bool(std::size_t)>& job,
             const std::function<void(std::size_t done, std::size_t failed)>& progress)
{
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t done = 0;
    std::size_t failed = 0;

    auto work = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < count;) {
            const bool ok = job(i);
            const std::lock_guard<std::mutex> lock(mutex);
            ++done;
            failed += ok ? 0 : 1;
            changed.notify_one();
        }
    };

    std::vector<std::thread> threads;
    const std::size_t wanted = std::min(std::max<std::size_t>(parallel, 1), count);
    for (std::size_t t = 0; t < wanted; ++t) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // as many as the system gives
        }
    }
    if (threads.empty()) {
        for (std::size_t i; (i = next.fetch_add(1)) < count;) {
            const bool ok = job(i);
            ++done;
            failed += ok ? 0 : 1;
            if (progress)
                progress(done, failed);
        }
        return;
    }

    std::unique_lock<std::mutex> lock(mutex);
    std::size_t shown = 0;
    while (shown < count) {
        changed.wait(lock, [&] { return done > shown; });
        shown = done;
        const std::size_t failedNow = failed;
        if (progress) {
            lock.unlock();
            progress(shown, failedNow);
            lock.lock();
        }
    }
    lock.unlock();
    for (std::thread& thread : threads)
        thread.join();
}

std::string ProgressText(std::size_t done, std::size_t total, std::size_t failed)
{
    return std::to_string(done) + "/" + std::to_string(total) + " done, " + std::to_string(failed) + " failed";
}

std::size_t TextColumns(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string CutToColumns(std::string text, std::size_t columns)
{
    if (TextColumns(text) <= columns)
        return text;
    const std::size_t keep = columns > 3 ? columns - 3 : 0;
    std::size_t seen = 0;
    std::size_t end = 0;
    for (; end < text.size(); ++end) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80 && seen++ == keep)
            break;
    }
    text.resize(end);
    return text + "...";
}

std::string PadTo(std::string text, std::size_t width)
{
    const std::size_t columns = TextColumns(text);
    if (columns < width)
        text.append(width - columns, ' ');
    return text;
}

}  // namespace quarn::cli
