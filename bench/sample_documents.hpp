#pragma once
// Inputs shared by the benchmarks, generated or read the same way in every run
// so that figures from different runs compare.

#include "document/model.hpp"

#include <cstddef>
#include <string>

namespace quarn::bench {

// A model with all eight timers and all eight relays in use, with conditions
// of the length people write.
StateMachineModel FullModel();

// A state-machine file (UTF-8 with byte-order mark, CR LF) whose body, the
// timers and relays of FullModel, is repeated until the file holds at least
// minBytes bytes.
std::string StateMachineLikeDocument(std::size_t minBytes);

// The bytes of the worked example in the test fixtures (737 bytes).
std::string WorkedExampleBytes();
// Its path.
std::string WorkedExamplePath();

// An Eclipse UML2 export with states simple states spread over regions; the
// first eight regions are relays R0-R7 with guarded transitions.
std::string XmiWithStates(int states);

// The converter's stylesheet in the source tree.
std::string StylesheetPath();

// The floor of every parse: one memchr pass that counts the "<" in bytes.
std::size_t CountOpenings(const std::string& bytes);

// Reads a whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Writes bytes to path; false on failure.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace quarn::bench
