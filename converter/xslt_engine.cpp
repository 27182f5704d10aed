#include "converter/xslt_engine.hpp"

#include "document/file_access.hpp"
#include "document/utf8.hpp"

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


namespace quarn {

namespace {

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

void StructuredHandler(void* context, xmlErrorPtr error)
{
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

xmlDocPtr ReadAllowed(const char* path, int options, xmlDictPtr dict)
{
    xmlParserCtxtPtr parser = xmlNewParserCtxt();
    if (parser == nullptr) {
        return nullptr;
    }
    if (dict != nullptr) {
        if (parser->dict != nullptr) {
            xmlDictFree(parser->dict);
        }
        parser->dict = dict;
        xmlDictReference(dict);
    }
    g_allowNextLoad = true;
    xmlDocPtr doc = xmlCtxtReadFile(parser, path, nullptr, options);
    g_allowNextLoad = false;
    if (doc != nullptr && !parser->wellFormed) {
        xmlFreeDoc(doc);
        doc = nullptr;
    }
    xmlFreeParserCtxt(parser);
    return doc;
}

// Loads for document(), xsl:import and xsl:include: the same safe options,
// whatever the engine asks for. Reading the network is refused here too.
xmlDocPtr SafeDocumentLoader(const xmlChar* uri, xmlDictPtr dict, int /*options*/, void* /*context*/,
                             xsltLoadType type)
{
    if (uri == nullptr) {
        return nullptr;
    }
    return ReadAllowed(reinterpret_cast<const char*>(uri),
                       type == XSLT_LOAD_STYLESHEET ? kStylesheetOptions : kSourceOptions, dict);
}

}  // namespace

struct XsltEngine::Impl {
    LineSink notes;
    LineSink diagnostics;
    xsltStylesheetPtr stylesheet = nullptr;
    xmlDocPtr source = nullptr;
    xmlDocPtr result = nullptr;

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
    if (d.result != nullptr) {
        xmlFreeDoc(d.result);
    }
    if (d.source != nullptr) {
        xmlFreeDoc(d.source);
    }
    if (d.stylesheet != nullptr) {
        xsltFreeStylesheet(d.stylesheet);  // frees its document too
    }
    xsltSetLoaderFunc(nullptr);
    g_refusals = d.previousRefusals;
    xmlSetExternalEntityLoader(d.previousLoader);
    xsltSetGenericErrorFunc(d.previousXsltContext, d.previousXslt);
    xmlSetStructuredErrorFunc(d.previousStructuredContext, d.previousStructured);
    xmlSetGenericErrorFunc(d.previousGenericContext, d.previousGeneric);
}

bool XsltEngine::LoadStylesheet(const std::string& path)
{
    Impl& d = *impl_;
    xmlDocPtr doc = ReadAllowed(path.c_str(), kStylesheetOptions, nullptr);
    if (doc == nullptr) {
        d.diagnostics.Flush();
        return false;
    }
    d.stylesheet = xsltParseStylesheetDoc(doc);
    if (d.stylesheet == nullptr) {
        xmlFreeDoc(doc);
        d.diagnostics.Flush();
        return false;
    }
    if (d.stylesheet->errors != 0) {
        xsltFreeStylesheet(d.stylesheet);
        d.stylesheet = nullptr;
        d.diagnostics.Flush();
        return false;
    }
    return true;
}

bool XsltEngine::LoadSource(const std::string& path)
{
    Impl& d = *impl_;
    d.source = ReadAllowed(path.c_str(), kSourceOptions, nullptr);
    d.diagnostics.Flush();
    return d.source != nullptr;
}

bool XsltEngine::Transform()
{
    Impl& d = *impl_;
    if (d.stylesheet == nullptr || d.source == nullptr) {
        return false;
    }
    xsltTransformContextPtr context = xsltNewTransformContext(d.stylesheet, d.source);
    if (context == nullptr) {
        return false;
    }
    xsltSecurityPrefsPtr prefs = xsltNewSecurityPrefs();
    if (prefs == nullptr) {
        xsltFreeTransformContext(context);
        return false;
    }
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
    xsltSetCtxtSecurityPrefs(prefs, context);
    xsltSetTransformErrorFunc(context, &d.notes, GenericHandler);

    d.result = xsltApplyStylesheetUser(d.stylesheet, d.source, nullptr, nullptr, nullptr, context);
    const bool failed = d.result == nullptr || context->state == XSLT_STATE_ERROR ||
                        context->state == XSLT_STATE_STOPPED;
    xsltFreeTransformContext(context);
    xsltFreeSecurityPrefs(prefs);
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
    xmlChar* bytes = nullptr;
    int length = 0;
    if (xsltSaveResultToString(&bytes, &length, d.result, d.stylesheet) != 0) {
        d.diagnostics.Flush();
        return ENOMEM;
    }
    // The destination is replaced all or nothing: a write that fails half way
    // leaves the file that was there before, not a truncated one. The
    // replacement reports failure without a number, so the system's error
    // number is taken from what the failing call left behind.
    const std::string_view text(reinterpret_cast<const char*>(bytes), length > 0 ? static_cast<std::size_t>(length) : 0);
    errno = 0;
    const bool replaced = ReplaceFileContents(DecodeUtf8(path), text);
    const int error = replaced ? 0 : (errno != 0 ? errno : EACCES);
    xmlFree(bytes);
    return error;
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
