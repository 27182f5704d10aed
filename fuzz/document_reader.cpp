// The state-machine file reader over arbitrary file bytes (byte-order marks
// included), then the writer on the model it produced. Invariant: writing,
// reading that file and writing again gives the same bytes, and the second
// read gives the model of the first.

#include "base/utf8.hpp"
#include "document/file_text.hpp"
#include "document/model.hpp"
#include "document/reader.hpp"
#include "document/writer.hpp"
#include "fuzz/fuzz_check.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace quarn;

bool ReadBytes(std::string_view bytes, StateMachineModel& model)
{
    ResetModel(model);
    std::u16string text;
    if (DecodeFileText(bytes, text) != 0)
        return false;
    return ReadStateMachineText(model, text);
}

// What a text becomes once it has been through a UTF-8 file: a lone
// surrogate cannot be stored and comes back as U+FFFD.
std::u16string ThroughUtf8(const std::u16string& text)
{
    return DecodeUtf8(EncodeUtf8(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    StateMachineModel first;
    if (!ReadBytes(input, first))
        return 0;
    FUZZ_CHECK(!first.modified);

    const std::string written = StateMachineFileBytes(first);
    FUZZ_CHECK(written.starts_with("\xEF\xBB\xBF"));

    StateMachineModel second;
    FUZZ_CHECK(ReadBytes(written, second));
    const std::string rewritten = StateMachineFileBytes(second);
    FUZZ_CHECK(rewritten == written);

    StateMachineModel expected = first;
    expected.version = ThroughUtf8(expected.version);
    for (RelayCondition& condition : expected.relays)
        condition = ThroughUtf8(condition);
    FUZZ_CHECK(second == expected);
    return 0;
}
