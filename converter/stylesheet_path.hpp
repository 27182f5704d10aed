#pragma once
// Where the converter finds its stylesheet.

#include <string>
#include <string_view>

namespace quarn {

// The full path of the running executable; empty when the system cannot say.
std::u16string ExecutablePath();

// The folder of executablePath (its last component removed, no separator at
// the end) followed directly by "/morvex.xsl". Nothing is normalised.
std::u16string StylesheetPathBeside(std::u16string_view executablePath);

}  // namespace quarn
