#pragma once
// One transformation's use of libxml2/libxslt: the three documents and the
// hooks that keep the engine quiet and sandboxed while they live. Paths are
// UTF-8. Used from one thread at a time.

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quarn {

class XsltEngine {
public:
    // Installs the diagnostic capture, the entity loader that refuses
    // everything not asked for, and the document loader; the destructor puts
    // the previous ones back and frees every document.
    XsltEngine();
    ~XsltEngine();
    XsltEngine(const XsltEngine&) = delete;
    XsltEngine& operator=(const XsltEngine&) = delete;

    // Each returns false when the step failed; diagnostics() says why.
    bool LoadStylesheet(const std::string& path);
    bool LoadSource(const std::string& path);
    // parameters: stylesheet parameters by name, each given the string value
    // as it stands (no XPath is evaluated from it).
    bool Transform(const std::vector<std::pair<std::string, std::string>>& parameters = {});
    // Serialises the result (as the stylesheet's xsl:output asks) into path
    // through a temporary file beside it that replaces path only once it is
    // written whole; on failure path keeps what it held. Returns 0 or the
    // system's error number.
    int SaveResult(const std::string& path);

    // xsl:message texts and engine warnings of Transform, one entry a line.
    const std::vector<std::string>& Notes() const;
    // Parser and engine errors, one entry a line.
    const std::vector<std::string>& Diagnostics() const;

    // Where the parser first found the last loaded document not well-formed;
    // line 0 when it did not (the file could not be read, or it parsed).
    struct ParseProblem {
        int line = 0;
        int column = 0;
        std::string message;
    };
    const ParseProblem& LastParseProblem() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace quarn
