#pragma once
// Keeping an accepted upload in the store folder without trusting what is
// already there.

#include <filesystem>
#include <string_view>

namespace quarn::sim {

// Makes folder/name hold exactly bytes. The bytes go to a new private file
// in the folder, created exclusively under a name nobody can guess in
// advance (mode 0600), written, flushed and closed, and then renamed over
// folder/name: whatever stands at that name, a symbolic link included, is
// replaced itself and never followed. Nothing else is touched; on failure
// the temporary file is removed and folder/name stays as it was. Returns 0
// or the system's error number.
int StoreFile(const std::filesystem::path& folder, std::string_view name, std::string_view bytes);

}  // namespace quarn::sim
