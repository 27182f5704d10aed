#pragma once
// Many controllers at once: jobs on a bounded number of threads, and the
// texts of the deploy and status commands.

#include <cstddef>
#include <functional>
#include <string>

namespace quarn::cli {

inline constexpr int kDefaultParallel = 16;

// Runs job(i) for every i from 0 to count - 1 with at most parallel of them
// at a time; job returns whether it succeeded. progress(done, failed) runs on
// the calling thread whenever jobs have ended (in no particular order), with
// the counts so far; its last call has done == count.
// Returns when every job has ended. When no thread can be started the jobs
// run one after another on the calling thread.
void RunJobs(std::size_t count, std::size_t parallel, const std::function<bool(std::size_t)>& job,
             const std::function<void(std::size_t done, std::size_t failed)>& progress);

// "37/200 done, 2 failed"
std::string ProgressText(std::size_t done, std::size_t total, std::size_t failed);

// The columns a text takes on a terminal, UTF-8 assumed: one per character.
std::size_t TextColumns(const std::string& text);

// text padded with spaces to width columns.
std::string PadTo(std::string text, std::size_t width);

// The widest a table cell grows: a host's name or a controller's message
// may be far longer than any screen.
inline constexpr std::size_t kCellColumns = 120;

// text cut to at most columns characters, the last three "..." when it was
// cut; never inside a UTF-8 sequence.
std::string CutToColumns(std::string text, std::size_t columns = kCellColumns);

}  // namespace quarn::cli
