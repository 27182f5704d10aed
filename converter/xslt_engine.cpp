#include "converter/xslt_engine.hpp"

#include "base/file_name.hpp"
#include "base/file_open.hpp"
#include "base/utf8.hpp"
#include "document/file_access.hpp"

#include <libxml/hash.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <libxslt/documents.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

namespace quarn {

// What XsltEngine::Impl holds. Outside the anonymous namespace, as a type
// with a name outside this file must not hold one that has none.
namespace xslt_engine_parts {

// Collects printf-style fragments into whole lines.
struct LineSink {
    std::vector<std::string> lines;
    std::string pending;

    void Append(const char* text)
    {
        pending += text;
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            Push(pending.substr(0, end));
            pending.erase(0, end + 1);
        }
    }
    void Flush()
    {
        if (!pending.empty()) {
            Push(pending);
            pending.clear();
        }
    }
    void Push(std::string line)
    {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
    }
};

struct DocFree {
    void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
struct StylesheetFree {
    void operator()(xsltStylesheetPtr stylesheet) const { xsltFreeStylesheet(stylesheet); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;
using StylesheetPtr = std::unique_ptr<xsltStylesheet, StylesheetFree>;

}  // namespace xslt_engine_parts

namespace {

using xslt_engine_parts::DocPtr;
using xslt_engine_parts::LineSink;
using xslt_engine_parts::StylesheetPtr;

void AppendFormatted(void* context, const char* format, va_list args)
{
    if (context == nullptr || format == nullptr) {
        return;
    }
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) {
        return;
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(length));
    static_cast<LineSink*>(context)->Append(text.c_str());
}

void GenericHandler(void* context, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatted(context, format, args);
    va_end(args);
}

// The first error the parser reports while a document the converter asked
// for is read: where the document stops being well-formed.
thread_local XsltEngine::ParseProblem* g_firstParseProblem = nullptr;

void StructuredHandler(void* context, xmlErrorPtr error)
{
    if (error != nullptr && g_firstParseProblem != nullptr && g_firstParseProblem->line == 0 &&
        error->domain == XML_FROM_PARSER && error->level >= XML_ERR_ERROR && error->line > 0) {
        g_firstParseProblem->line = error->line;
        g_firstParseProblem->column = error->int2;
        std::string message = error->message != nullptr ? error->message : "";
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
            message.pop_back();
        }
        g_firstParseProblem->message = std::move(message);
    }
    if (context == nullptr || error == nullptr) {
        return;
    }
    auto* sink = static_cast<LineSink*>(context);
    sink->Flush();
    std::string line;
    if (error->file != nullptr) {
        line += error->file;
        line += ':' + std::to_string(error->line) + ": ";
    }
    line += error->message != nullptr ? error->message : "error";
    sink->Append(line.c_str());
    sink->Flush();
}

// The entity loader lets exactly one load through after each Allow(): the
// document the converter itself asked for. External entities, DTDs and
// anything else the parser would fetch on a document's behalf are refused.
thread_local bool g_allowNextLoad = false;
thread_local LineSink* g_refusals = nullptr;

xmlParserInputPtr GuardedEntityLoader(const char* url, const char* id, xmlParserCtxtPtr context)
{
    if (g_allowNextLoad) {
        g_allowNextLoad = false;
        return xmlNoNetExternalEntityLoader(url, id, context);
    }
    if (g_refusals != nullptr) {
        const std::string line = std::string("refused to load external resource ") +
                                 (url != nullptr ? url : (id != nullptr ? id : "(unnamed)"));
        g_refusals->Append(line.c_str());
        g_refusals->Flush();
    }
    return nullptr;
}

// Parser options for every document: no network, no entity substitution,
// no DTD loading.
constexpr int kSourceOptions = XML_PARSE_NONET;
constexpr int kStylesheetOptions = XML_PARSE_NONET | XML_PARSE_NOCDATA;

// One owner for each engine object, so that every path frees what it made.
struct ParserFree {
    void operator()(xmlParserCtxtPtr parser) const { xmlFreeParserCtxt(parser); }
};
struct TransformContextFree {
    void operator()(xsltTransformContextPtr context) const { xsltFreeTransformContext(context); }
};
struct SecurityPrefsFree {
    void operator()(xsltSecurityPrefsPtr prefs) const { xsltFreeSecurityPrefs(prefs); }
};
struct XmlFree {
    void operator()(xmlChar* text) const { xmlFree(text); }
};
using ParserPtr = std::unique_ptr<xmlParserCtxt, ParserFree>;
using TransformContextPtr = std::unique_ptr<xsltTransformContext, TransformContextFree>;
using SecurityPrefsPtr = std::unique_ptr<xsltSecurityPrefs, SecurityPrefsFree>;
using XmlText = std::unique_ptr<xmlChar, XmlFree>;

// A document whose DTD declares entities is not read at all: references to
// them would be expanded by the stylesheet, and a few kilobytes of nested or
// repeated references grow into gigabytes. No modelling tool writes such
// declarations. The parser stops at the first one.
struct EntityGuard {
    bool declared = false;
};

void RefuseEntityDeclaration(void* context, const xmlChar* /*name*/, int /*type*/, const xmlChar* /*publicId*/,
                             const xmlChar* /*systemId*/, xmlChar* /*content*/)
{
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    if (parser == nullptr) {
        return;
    }
    if (auto* guard = static_cast<EntityGuard*>(parser->_private); guard != nullptr) {
        guard->declared = true;
    }
    xmlStopParser(parser);
}

void RefuseUnparsedEntity(void* context, const xmlChar* name, const xmlChar* publicId, const xmlChar* systemId,
                          const xmlChar* /*notation*/)
{
    RefuseEntityDeclaration(context, name, 0, publicId, systemId, nullptr);
}

// True when the parsed document still holds an entity declaration (a path
// the parser's callback did not see).
bool DeclaresEntities(xmlDocPtr doc)
{
    for (xmlDtdPtr dtd : {doc->intSubset, doc->extSubset}) {
        if (dtd == nullptr) {
            continue;
        }
        for (void* table : {dtd->entities, dtd->pentities}) {
            if (table != nullptr && xmlHashSize(static_cast<xmlHashTablePtr>(table)) > 0) {
                return true;
            }
        }
    }
    return false;
}

xmlDocPtr ReadAllowed(const char* path, int options, xmlDictPtr dict)
{
    ParserPtr parser(xmlNewParserCtxt());
    if (parser == nullptr || parser->sax == nullptr) {
        return nullptr;
    }
    EntityGuard guard;
    parser->_private = &guard;
    parser->sax->entityDecl = RefuseEntityDeclaration;
    parser->sax->unparsedEntityDecl = RefuseUnparsedEntity;
    if (dict != nullptr) {
        if (parser->dict != nullptr) {
            xmlDictFree(parser->dict);
        }
        parser->dict = dict;
        xmlDictReference(dict);
    }
    g_allowNextLoad = true;
    DocPtr doc(xmlCtxtReadFile(parser.get(), path, nullptr, options));
    g_allowNextLoad = false;
    if (guard.declared || (doc != nullptr && DeclaresEntities(doc.get()))) {
        if (g_refusals != nullptr) {
            const std::string line = std::string(path) + ": refused: the document's DTD declares entities";
            g_refusals->Append(line.c_str());
            g_refusals->Flush();
        }
        return nullptr;
    }
    if (doc != nullptr && !parser->wellFormed) {
        return nullptr;
    }
    return doc.release();
}

// Loads for document(), xsl:import and xsl:include: the same safe options,
// whatever the engine asks for. Reading the network is refused here too.
xmlDocPtr SafeDocumentLoader(const xmlChar* uri, xmlDictPtr dict, int /*options*/, void* /*context*/, xsltLoadType type)
{
    if (uri == nullptr) {
        return nullptr;
    }
    return ReadAllowed(reinterpret_cast<const char*>(uri),
                       type == XSLT_LOAD_STYLESHEET ? kStylesheetOptions : kSourceOptions, dict);
}

// value as an XPath expression that gives exactly that string, for a
// stylesheet parameter: quoted with whichever quote it does not hold, or
// pieced together with concat() when it holds both.
std::string XPathLiteral(std::string_view value)
{
    if (value.find('\'') == std::string_view::npos) {
        return "'" + std::string(value) + "'";
    }
    if (value.find('"') == std::string_view::npos) {
        return "\"" + std::string(value) + "\"";
    }
    std::string expression = "concat(''";
    std::size_t start = 0;
    while (start <= value.size()) {
        const std::size_t quote = value.find('\'', start);
        const std::string_view piece =
            value.substr(start, quote == std::string_view::npos ? std::string_view::npos : quote - start);
        expression += ",'" + std::string(piece) + "'";
        if (quote == std::string_view::npos) {
            break;
        }
        expression += ",\"'\"";
        start = quote + 1;
    }
    return expression + ")";
}

}  // namespace

struct XsltEngine::Impl {
    LineSink notes;
    LineSink diagnostics;
    ParseProblem parseProblem;
    StylesheetPtr stylesheet;
    DocPtr source;
    DocPtr result;

    // What was installed before, put back on destruction.
    xmlGenericErrorFunc previousGeneric = nullptr;
    void* previousGenericContext = nullptr;
    xmlStructuredErrorFunc previousStructured = nullptr;
    void* previousStructuredContext = nullptr;
    xmlGenericErrorFunc previousXslt = nullptr;
    void* previousXsltContext = nullptr;
    xmlExternalEntityLoader previousLoader = nullptr;
    LineSink* previousRefusals = nullptr;
};

XsltEngine::XsltEngine() : impl_(std::make_unique<Impl>())
{
    xmlInitParser();
    Impl& d = *impl_;
    d.previousGeneric = xmlGenericError;
    d.previousGenericContext = xmlGenericErrorContext;
    d.previousStructured = xmlStructuredError;
    d.previousStructuredContext = xmlStructuredErrorContext;
    d.previousXslt = xsltGenericError;
    d.previousXsltContext = xsltGenericErrorContext;
    d.previousLoader = xmlGetExternalEntityLoader();
    d.previousRefusals = g_refusals;

    xmlSetGenericErrorFunc(&d.diagnostics, GenericHandler);
    xmlSetStructuredErrorFunc(&d.diagnostics, StructuredHandler);
    xsltSetGenericErrorFunc(&d.diagnostics, GenericHandler);
    xmlSetExternalEntityLoader(GuardedEntityLoader);
    g_refusals = &d.diagnostics;
    xsltSetLoaderFunc(SafeDocumentLoader);
}

XsltEngine::~XsltEngine()
{
    Impl& d = *impl_;
    // The documents go first, while the capture is still in place.
    d.result.reset();
    d.source.reset();
    d.stylesheet.reset();  // frees its document too
    xsltSetLoaderFunc(nullptr);
    g_refusals = d.previousRefusals;
    xmlSetExternalEntityLoader(d.previousLoader);
    xsltSetGenericErrorFunc(d.previousXsltContext, d.previousXslt);
    xmlSetStructuredErrorFunc(d.previousStructuredContext, d.previousStructured);
    xmlSetGenericErrorFunc(d.previousGenericContext, d.previousGeneric);
}

namespace {

// The engine would wait for ever on a FIFO without a writer and read a
// device without end; only a regular file is given to it. The caller says
// why a load failed.
bool IsRegularFile(const std::string& path)
{
    return OpenFileForReading(FileNameFromBytes(path), ReadableFiles::RegularOnly).error == 0;
}

// Notes the first parse error of one top-level load in problem.
class ParseProblemCapture {
public:
    explicit ParseProblemCapture(XsltEngine::ParseProblem& problem) : previous_(g_firstParseProblem)
    {
        problem = {};
        g_firstParseProblem = &problem;
    }
    ~ParseProblemCapture() { g_firstParseProblem = previous_; }
    ParseProblemCapture(const ParseProblemCapture&) = delete;
    ParseProblemCapture& operator=(const ParseProblemCapture&) = delete;

private:
    XsltEngine::ParseProblem* previous_;
};

}  // namespace

const XsltEngine::ParseProblem& XsltEngine::LastParseProblem() const
{
    return impl_->parseProblem;
}

bool XsltEngine::LoadStylesheet(const std::string& path)
{
    Impl& d = *impl_;
    const ParseProblemCapture capture(d.parseProblem);
    if (!IsRegularFile(path))
        return false;
    DocPtr doc(ReadAllowed(path.c_str(), kStylesheetOptions, nullptr));
    d.diagnostics.Flush();
    if (doc == nullptr) {
        return false;
    }
    StylesheetPtr stylesheet(xsltParseStylesheetDoc(doc.get()));
    d.diagnostics.Flush();
    if (stylesheet == nullptr) {
        return false;  // doc is still ours and goes with it
    }
    doc.release();  // the stylesheet owns its document now
    if (stylesheet->errors != 0) {
        return false;
    }
    d.stylesheet = std::move(stylesheet);
    return true;
}

bool XsltEngine::LoadSource(const std::string& path)
{
    Impl& d = *impl_;
    const ParseProblemCapture capture(d.parseProblem);
    d.source.reset();
    if (!IsRegularFile(path))
        return false;
    d.source.reset(ReadAllowed(path.c_str(), kSourceOptions, nullptr));
    d.diagnostics.Flush();
    return d.source != nullptr;
}

bool XsltEngine::Transform(const std::vector<std::pair<std::string, std::string>>& parameters)
{
    Impl& d = *impl_;
    if (d.stylesheet == nullptr || d.source == nullptr) {
        return false;
    }
    TransformContextPtr context(xsltNewTransformContext(d.stylesheet.get(), d.source.get()));
    SecurityPrefsPtr prefs(xsltNewSecurityPrefs());
    if (context == nullptr || prefs == nullptr) {
        return false;
    }
    xsltSetSecurityPrefs(prefs.get(), XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs.get(), XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs.get(), XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs.get(), XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
    xsltSetCtxtSecurityPrefs(prefs.get(), context.get());
    xsltSetTransformErrorFunc(context.get(), &d.notes, GenericHandler);

    // Name, expression, name, expression, ..., and a null at the end.
    std::vector<std::string> texts;
    texts.reserve(parameters.size() * 2);
    for (const auto& [name, value] : parameters) {
        texts.push_back(name);
        texts.push_back(XPathLiteral(value));
    }
    std::vector<const char*> params;
    for (const std::string& text : texts) {
        params.push_back(text.c_str());
    }
    params.push_back(nullptr);

    d.result.reset(
        xsltApplyStylesheetUser(d.stylesheet.get(), d.source.get(), params.data(), nullptr, nullptr, context.get()));
    const bool failed =
        d.result == nullptr || context->state == XSLT_STATE_ERROR || context->state == XSLT_STATE_STOPPED;
    context.reset();
    d.notes.Flush();
    d.diagnostics.Flush();
    if (failed) {
        // What the stylesheet said before it failed explains the failure.
        d.diagnostics.lines.insert(d.diagnostics.lines.end(), d.notes.lines.begin(), d.notes.lines.end());
        return false;
    }
    return true;
}

int XsltEngine::SaveResult(const std::string& path)
{
    Impl& d = *impl_;
    if (d.result == nullptr) {
        return EINVAL;
    }
    xmlChar* raw = nullptr;
    int length = 0;
    const int saved = xsltSaveResultToString(&raw, &length, d.result.get(), d.stylesheet.get());
    const XmlText bytes(raw);
    if (saved != 0) {
        d.diagnostics.Flush();
        return ENOMEM;
    }
    // The destination is replaced all or nothing: a write that fails half way
    // leaves the file that was there before, not a truncated one.
    const std::string_view text(reinterpret_cast<const char*>(bytes.get()),
                                bytes != nullptr && length > 0 ? static_cast<std::size_t>(length) : 0);
    return ReplaceFileContents(FileNameFromBytes(path), text);
}

const std::vector<std::string>& XsltEngine::Notes() const
{
    return impl_->notes.lines;
}

const std::vector<std::string>& XsltEngine::Diagnostics() const
{
    return impl_->diagnostics.lines;
}

}  // namespace quarn
