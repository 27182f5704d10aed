#include "converter/transform.hpp"

#include "base/file_name.hpp"
#include "base/file_open.hpp"
#include "base/utf8.hpp"
#include "converter/result_code.hpp"
#include "converter/stylesheet_path.hpp"
#include "converter/xslt_engine.hpp"
#include "document/writer.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

namespace quarn {

namespace {

void CopyLines(const std::vector<std::string>& from, std::vector<std::u16string>& to)
{
    for (const std::string& line : from) {
        to.push_back(DecodeUtf8(line));
    }
}

TransformOutcome Fail(TransformOutcome outcome, std::uint32_t code, const XsltEngine& engine)
{
    outcome.status = TransformStatus::Failure;
    outcome.code = code;
    CopyLines(engine.Diagnostics(), outcome.diagnostics);
    return outcome;
}

std::u16string Ascii(const std::string& text)
{
    return DecodeUtf8(text);
}

// Why path could not be loaded: the file cannot be opened, or where the
// parser found it not well-formed, or else the engine's first line.
std::u16string LoadFailureReason(std::u16string_view path, const XsltEngine& engine)
{
    std::u16string reason(path);
    reason += u": ";
    const int error = OpenFileForReading(path, ReadableFiles::RegularOnly).error;
    if (error != 0) {
        switch (error) {
        case ENOENT:
        case ENOTDIR:
            return reason + u"no such file";
        case EACCES:
            return reason + u"access denied";
        case EISDIR:
            return reason + u"a folder, not a file";
        case EINVAL:
            return reason + u"not a regular file (a FIFO or a device), which is never read";
        default:
            return reason + u"cannot be read (system error " + Ascii(std::to_string(error)) + u")";
        }
    }
    const XsltEngine::ParseProblem& problem = engine.LastParseProblem();
    if (problem.line > 0) {
        reason += u"not well-formed at line " + Ascii(std::to_string(problem.line)) + u", column " +
                  Ascii(std::to_string(problem.column));
        if (!problem.message.empty())
            reason += u": " + DecodeUtf8(problem.message);
        return reason;
    }
    if (!engine.Diagnostics().empty())
        return DecodeUtf8(engine.Diagnostics().front());
    return reason + u"cannot be loaded";
}

TransformOutcome FailToLoad(TransformOutcome outcome, std::u16string_view path, const XsltEngine& engine)
{
    outcome.reason = LoadFailureReason(path, engine);
    return Fail(std::move(outcome), kCodeGeneralFailure, engine);
}

}  // namespace

bool TransformOutcome::NoRelayFound() const
{
    return status == TransformStatus::Success &&
           std::find(notes.begin(), notes.end(), std::u16string_view(kNoRelayNote)) != notes.end();
}

std::u16string DefaultStylesheetPath()
{
    return StylesheetPathBeside(ExecutablePath());
}

std::u16string DeriveDestination(std::u16string_view source)
{
    return std::u16string(source) + u".xml";
}

TransformOutcome TransformXmiToXml(std::u16string_view source, std::u16string_view destination)
{
    return TransformXmiToXml(source, destination, DefaultStylesheetPath());
}

TransformOutcome TransformXmiToXml(std::u16string_view source, std::u16string_view destination,
                                   std::u16string_view stylesheetPath)
{
    TransformOutcome outcome;
    if (source.empty()) {
        return outcome;
    }
    outcome.destination = destination.empty() ? DeriveDestination(source) : std::u16string(destination);

    XsltEngine engine;
    if (!engine.LoadStylesheet(FileNameBytes(stylesheetPath))) {
        return FailToLoad(std::move(outcome), stylesheetPath, engine);
    }
    if (!engine.LoadSource(FileNameBytes(source))) {
        return FailToLoad(std::move(outcome), source, engine);
    }
    // The stylesheet names the result after its file when the model gives
    // no name, as the editor's writer does.
    const bool transformed = engine.Transform({{"destination-name", EncodeUtf8(BaseNameOfPath(outcome.destination))}});
    CopyLines(engine.Notes(), outcome.notes);
    if (!transformed) {
        return Fail(std::move(outcome), kCodeGeneralFailure, engine);
    }
    if (const int error = engine.SaveResult(FileNameBytes(outcome.destination)); error != 0) {
        return Fail(std::move(outcome), CodeFromErrno(error), engine);
    }
    outcome.status = TransformStatus::Success;
    CopyLines(engine.Diagnostics(), outcome.diagnostics);
    return outcome;
}

std::u16string TransformOutcomeText(const TransformOutcome& outcome)
{
    switch (outcome.status) {
    case TransformStatus::Success:
        return u"File transformed successfully";
    case TransformStatus::Failure:
        return FailureText(outcome.code);
    case TransformStatus::NothingDone:
        break;
    }
    return {};
}

}  // namespace quarn
