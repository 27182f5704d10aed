// The pug parser and serializer against tinyxml2 and libxml2, in one process
// on the same bytes, and against a single memchr pass as the floor.
#include "base/utf8.hpp"
#include "bench/sample_documents.hpp"
#include "document/file_text.hpp"
#include "document/file_text_source.hpp"
#include "xml/pug.hpp"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <tinyxml2.h>

#include <string>

#include <sys/resource.h>

namespace {

constexpr std::size_t kDocumentBytes = 10 * 1024 * 1024;

const std::string& Document()
{
    static const std::string bytes = quarn::bench::StateMachineLikeDocument(kDocumentBytes);
    return bytes;
}

void SetThroughput(benchmark::State& state, std::size_t bytes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}

// Page faults and kernel time of the measured loop, per iteration: what a
// parse costs in fresh memory beside its own instructions. Create it before
// the loop and call Report after it.
class MemoryCost {
public:
    MemoryCost() { getrusage(RUSAGE_SELF, &start_); }
    void Report(benchmark::State& state) const
    {
        rusage now{};
        getrusage(RUSAGE_SELF, &now);
        const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
        state.counters["faults"] = benchmark::Counter(static_cast<double>(now.ru_minflt - start_.ru_minflt),
                                                      benchmark::Counter::kAvgIterations);
        state.counters["sys_ms"] = benchmark::Counter(1e3 * (seconds(now.ru_stime) - seconds(start_.ru_stime)),
                                                      benchmark::Counter::kAvgIterations);
    }

private:
    rusage start_{};
};

// The floor: one pass that finds every "<" with memchr.
void BM_Parse_MemchrFloor(benchmark::State& state)
{
    const std::string& bytes = Document();
    const MemoryCost cost;
    for (auto _ : state)
        benchmark::DoNotOptimize(quarn::bench::CountOpenings(bytes));
    cost.Report(state);
    SetThroughput(state, bytes.size());
}
BENCHMARK(BM_Parse_MemchrFloor)->Unit(benchmark::kMillisecond);

// What the state-machine reader does: the bytes are decoded to UTF-16 (byte-order
// mark, CR LF) as parse_stream reads them, then parsed; the tree is released.
void BM_Parse_Pug(benchmark::State& state)
{
    const std::string& bytes = Document();
    std::size_t nodes = 0;
    const MemoryCost cost;
    for (auto _ : state) {
        quarn::FileTextSource source(bytes);
        pug::xml_parser parser;
        if (!parser.parse_stream(&source))
            state.SkipWithError("pug parse failed");
        nodes = parser.root().child_count();
        benchmark::DoNotOptimize(parser.root().record());
    }
    benchmark::DoNotOptimize(nodes);
    cost.Report(state);
    SetThroughput(state, bytes.size());
}
BENCHMARK(BM_Parse_Pug)->Unit(benchmark::kMillisecond);

// The parts of the above, to see where the time goes.
void BM_Parse_PugDecodeOnly(benchmark::State& state)
{
    const std::string& bytes = Document();
    const MemoryCost cost;
    for (auto _ : state) {
        std::u16string text;
        quarn::DecodeFileText(bytes, text);
        benchmark::DoNotOptimize(text.data());
    }
    cost.Report(state);
    SetThroughput(state, bytes.size());
}
BENCHMARK(BM_Parse_PugDecodeOnly)->Unit(benchmark::kMillisecond);

void BM_Parse_PugParseOnly(benchmark::State& state)
{
    const std::string& bytes = Document();
    std::u16string text;
    quarn::DecodeFileText(bytes, text);
    const MemoryCost cost;
    for (auto _ : state) {
        pug::string_source source(text);
        pug::xml_parser parser;
        parser.parse_stream(&source);
        benchmark::DoNotOptimize(parser.root().record());
    }
    cost.Report(state);
    SetThroughput(state, bytes.size());
}
BENCHMARK(BM_Parse_PugParseOnly)->Unit(benchmark::kMillisecond);

void BM_Parse_Tinyxml2(benchmark::State& state)
{
    const std::string& bytes = Document();
    const MemoryCost cost;
    for (auto _ : state) {
        tinyxml2::XMLDocument document;
        if (document.Parse(bytes.data(), bytes.size()) != tinyxml2::XML_SUCCESS)
            state.SkipWithError("tinyxml2 parse failed");
        benchmark::DoNotOptimize(document.RootElement());
    }
    cost.Report(state);
    SetThroughput(state, bytes.size());
}
BENCHMARK(BM_Parse_Tinyxml2)->Unit(benchmark::kMillisecond);

void BM_Parse_Libxml2(benchmark::State& state)
{
    const std::string& bytes = Document();
    const MemoryCost cost;
    for (auto _ : state) {
        xmlDocPtr document =
            xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "bench.xml", nullptr, XML_PARSE_NONET);
        if (!document)
            state.SkipWithError("libxml2 parse failed");
        benchmark::DoNotOptimize(document);
        xmlFreeDoc(document);
    }
    cost.Report(state);
    SetThroughput(state, bytes.size());
}
BENCHMARK(BM_Parse_Libxml2)->Unit(benchmark::kMillisecond);

// Writing: each library serializes the tree it built from the document into
// UTF-8 bytes in memory, indented.
struct PugTree {
    std::u16string text;
    pug::xml_parser parser;
    PugTree()
    {
        quarn::DecodeFileText(Document(), text);
        pug::string_source source(text);
        parser.parse_stream(&source);
    }
};

void BM_Write_Pug(benchmark::State& state)
{
    static PugTree tree;
    std::size_t size = 0;
    const MemoryCost cost;
    for (auto _ : state) {
        pug::string_sink sink;
        tree.parser.root().write_tree(sink);
        const std::string bytes = quarn::EncodeUtf8(sink.text());
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    cost.Report(state);
    state.counters["out_bytes"] = static_cast<double>(size);
    SetThroughput(state, size);
}
BENCHMARK(BM_Write_Pug)->Unit(benchmark::kMillisecond);

void BM_Write_Tinyxml2(benchmark::State& state)
{
    static tinyxml2::XMLDocument document;
    static const bool parsed = document.Parse(Document().data(), Document().size()) == tinyxml2::XML_SUCCESS;
    if (!parsed)
        state.SkipWithError("tinyxml2 parse failed");
    std::size_t size = 0;
    const MemoryCost cost;
    for (auto _ : state) {
        tinyxml2::XMLPrinter printer;
        document.Print(&printer);
        size = static_cast<std::size_t>(printer.CStrSize());
        benchmark::DoNotOptimize(printer.CStr());
    }
    cost.Report(state);
    state.counters["out_bytes"] = static_cast<double>(size);
    SetThroughput(state, size);
}
BENCHMARK(BM_Write_Tinyxml2)->Unit(benchmark::kMillisecond);

void BM_Write_Libxml2(benchmark::State& state)
{
    static xmlDocPtr document = xmlReadMemory(Document().data(), static_cast<int>(Document().size()), "bench.xml",
                                              nullptr, XML_PARSE_NONET | XML_PARSE_NOBLANKS);
    if (!document)
        state.SkipWithError("libxml2 parse failed");
    std::size_t size = 0;
    const MemoryCost cost;
    for (auto _ : state) {
        xmlChar* bytes = nullptr;
        int length = 0;
        xmlDocDumpFormatMemory(document, &bytes, &length, 1);
        size = static_cast<std::size_t>(length);
        benchmark::DoNotOptimize(bytes);
        xmlFree(bytes);
    }
    cost.Report(state);
    state.counters["out_bytes"] = static_cast<double>(size);
    SetThroughput(state, size);
}
BENCHMARK(BM_Write_Libxml2)->Unit(benchmark::kMillisecond);

}  // namespace
