#include "converter_test_support.hpp"

#include "base/utf8.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace quarn::test {

std::string Stylesheet()
{
    return QUARN_STYLESHEET;
}

std::string FixturePath(std::string_view name)
{
    return std::string(QUARN_CONVERTER_FIXTURES) + "/" + std::string(name);
}

std::string SamplePath(std::string_view relative)
{
    return std::string(QUARN_XMI_SAMPLES) + "/" + std::string(relative);
}

int ReplaceAll(std::string& text, std::string_view from, std::string_view to)
{
    int count = 0;
    std::size_t at = 0;
    while (!from.empty() && (at = text.find(from, at)) != std::string::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
        ++count;
    }
    return count;
}

bool Conversion::HasNote(std::string_view part) const
{
    for (const std::string& note : notes) {
        if (note.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::string Conversion::AllNotes() const
{
    std::string all;
    for (const std::string& note : notes) {
        all += note + "\n";
    }
    return all;
}

Conversion ConvertFile(const std::string& xmiPath, const std::string& stylesheet)
{
    ScratchFolder folder;
    const std::string destination = folder.File("out.xml");
    Conversion result;
    result.outcome = TransformXmiToXml(DecodeUtf8(xmiPath), DecodeUtf8(destination), DecodeUtf8(stylesheet));
    result.output = ReadBytes(destination);
    for (const std::u16string& note : result.outcome.notes) {
        result.notes.push_back(EncodeUtf8(note));
    }
    return result;
}

Conversion ConvertText(std::string_view xmi, const std::string& stylesheet)
{
    ScratchFolder folder;
    const std::string source = folder.File("model.xmi");
    WriteBytes(source, xmi);
    return ConvertFile(source, stylesheet);
}

}  // namespace quarn::test
