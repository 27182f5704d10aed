// The JSON model that quarnctl write takes: ModelFromJson over arbitrary
// JSON. Invariants: a model it accepts comes back unchanged through
// ModelToJson and ModelFromJson; one it refuses says which field.
//
// Input: JSON text (not valid JSON is skipped, as write refuses it first).

#include "cli/model_json.hpp"
#include "document/model.hpp"
#include "fuzz/fuzz_check.hpp"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quarn;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const nlohmann::json input = nlohmann::json::parse(text, nullptr, false);
    if (input.is_discarded())
        return 0;
    StateMachineModel model;
    if (const auto error = cli::ModelFromJson(input, model)) {
        FUZZ_CHECK(!error->empty());
        return 0;
    }
    const nlohmann::ordered_json once = cli::ModelToJson(model);
    StateMachineModel again;
    FUZZ_CHECK(!cli::ModelFromJson(nlohmann::json::parse(once.dump()), again));
    FUZZ_CHECK(cli::ModelToJson(again) == once);
    return 0;
}
