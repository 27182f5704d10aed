// Parses the 10 MB benchmark document once with one parser, counting only the
// parse when run under callgrind:
//   valgrind --tool=callgrind --instr-atstart=no quarn_parse_once pug
// Instruction counts do not change with the load of a shared machine.
#include "bench/sample_documents.hpp"
#include "document/file_text.hpp"
#include "document/file_text_source.hpp"
#include "xml/pug.hpp"

#include <libxml/parser.h>
#include <tinyxml2.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define QUARN_COUNT_START() CALLGRIND_START_INSTRUMENTATION
#define QUARN_COUNT_STOP() CALLGRIND_STOP_INSTRUMENTATION
#else
#define QUARN_COUNT_START() (void)0
#define QUARN_COUNT_STOP() (void)0
#endif

int main(int argc, char* argv[])
{
    const std::string_view which = argc > 1 ? argv[1] : "";
    if (which == "write" && argc > 2) {
        // The same document as a file, for timing whole programs on it:
        //   quarn_parse_once write PATH [MiB]   (10 MiB unless given)
        const std::size_t mebibytes = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 10;
        return quarn::bench::WriteFileBytes(argv[2], quarn::bench::StateMachineLikeDocument(mebibytes << 20)) ? 0 : 1;
    }
    const std::string bytes = quarn::bench::StateMachineLikeDocument(10 * 1024 * 1024);
    std::size_t result = 0;
    if (which == "memchr") {
        QUARN_COUNT_START();
        result = quarn::bench::CountOpenings(bytes);
        QUARN_COUNT_STOP();
    } else if (which == "pug") {
        QUARN_COUNT_START();
        {
            quarn::FileTextSource source(bytes);
            pug::xml_parser parser;
            parser.parse_stream(&source);
            result = parser.root().child_count();
        }
        QUARN_COUNT_STOP();
    } else if (which == "pug-decode") {
        QUARN_COUNT_START();
        std::u16string text;
        quarn::DecodeFileText(bytes, text);
        result = text.size();
        QUARN_COUNT_STOP();
    } else if (which == "pug-parse") {
        std::u16string text;
        quarn::DecodeFileText(bytes, text);
        QUARN_COUNT_START();
        {
            pug::string_source source(text);
            pug::xml_parser parser;
            parser.parse_stream(&source);
            result = parser.root().child_count();
        }
        QUARN_COUNT_STOP();
    } else if (which == "tinyxml2") {
        QUARN_COUNT_START();
        {
            tinyxml2::XMLDocument document;
            result = document.Parse(bytes.data(), bytes.size()) == tinyxml2::XML_SUCCESS ? 1 : 0;
        }
        QUARN_COUNT_STOP();
    } else if (which == "libxml2") {
        QUARN_COUNT_START();
        xmlDocPtr document =
            xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "bench.xml", nullptr, XML_PARSE_NONET);
        result = document ? 1 : 0;
        xmlFreeDoc(document);
        QUARN_COUNT_STOP();
    } else {
        std::fprintf(stderr,
                     "usage: quarn_parse_once memchr|pug|pug-decode|pug-parse|tinyxml2|libxml2, or write PATH [MiB]\n");
        return 2;
    }
    std::printf("%s: %zu bytes, result %zu\n", std::string(which).c_str(), bytes.size(), result);
    return 0;
}
