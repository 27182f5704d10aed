#include "bench/sample_documents.hpp"

#include "document/writer.hpp"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

namespace quarn::bench {

StateMachineModel FullModel()
{
    StateMachineModel model;
    model.version = u"bench";
    for (int n = 0; n < kTimerCount; ++n) {
        TimerEntry& timer = model.timers[static_cast<std::size_t>(n)];
        timer.onDate = CalendarDate{static_cast<std::uint16_t>(2013 + n), static_cast<std::uint8_t>(1 + n),
                                    static_cast<std::uint8_t>(8 + n)};
        timer.onTime = TimeOfDay{static_cast<std::uint8_t>(6 + n), 30, 0};
        timer.offDate = CalendarDate{static_cast<std::uint16_t>(2014 + n), 12, 31};
        timer.offTime = TimeOfDay{static_cast<std::uint8_t>(14 + n), 45, 15};
        for (int d = 0; d < kWeekdayCount; ++d)
            timer.weekdays[static_cast<std::size_t>(d)] = ((n + d) % 3) != 0;
    }
    static constexpr const char16_t* conditions[kRelayCount] = {
        u"(#T0&&#T1)||#R2",
        u"#S0",
        u"(#T2&&#S1&&!#R0)||#T3||#S3",
        u"(#T0&&#T1&&#T2&&#T3)||(#S0)||#R7",
        u"!#S2",
        u"(#T4&&#T5)||#R4||#R5",
        u"(#T6&&#S0)||(#T7&&#S1)",
        u"#R1||#R2||#R3||#R6",
    };
    for (int r = 0; r < kRelayCount; ++r)
        model.relays[static_cast<std::size_t>(r)] = conditions[r];
    return model;
}

std::string StateMachineLikeDocument(std::size_t minBytes)
{
    const std::string file = StateMachineFileBytes(FullModel());
    // Everything between the root's start tag line and its end tag repeats.
    const std::string open = "<statemachine>\r\n";
    const std::string close = "</statemachine>\r\n";
    const std::size_t bodyStart = file.find(open) + open.size();
    const std::size_t bodyEnd = file.rfind(close);
    const std::string head = file.substr(0, bodyStart);
    const std::string body = file.substr(bodyStart, bodyEnd - bodyStart);
    std::string document = head;
    document.reserve(minBytes + body.size() + close.size());
    while (document.size() + close.size() < minBytes)
        document += body;
    document += close;
    return document;
}

std::string WorkedExamplePath()
{
    return QUARN_SOURCE_DIR "/tests/document/fixtures/office.xml";
}

std::string WorkedExampleBytes()
{
    return ReadFileBytes(WorkedExamplePath());
}

std::string StylesheetPath()
{
    return QUARN_SOURCE_DIR "/converter/morvex.xsl";
}

std::string XmiWithStates(int states)
{
    constexpr int perRegion = 8;
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<uml:Model xmi:version=\"20131001\" xmlns:xmi=\"http://www.omg.org/spec/XMI/20131001\" "
           "xmlns:uml=\"http://www.eclipse.org/uml2/5.0.0/UML\" xmi:id=\"m1\" name=\"Root\">\n"
           "  <ownedComment xmi:type=\"uml:Comment\" xmi:id=\"c1\">\n"
           "    <body>Timers of the plant\n"
           "T0 ON 07:30:00 OFF 22:00:00 Mo Tu We Th Fr\n"
           "T1 ON 2013/02/08 10:00:00 OFF 2013/02/10 18:30:00 Sa Su</body>\n"
           "  </ownedComment>\n"
           "  <packagedElement xmi:type=\"uml:StateMachine\" xmi:id=\"sm\" name=\"plant\">\n"
           "    <region xmi:type=\"uml:Region\" xmi:id=\"top\" name=\"top\">\n"
           "      <subvertex xmi:type=\"uml:State\" xmi:id=\"relays\" name=\"Relays\">\n";
    int made = 0;
    for (int region = 0; made < states; ++region) {
        const std::string r = std::to_string(region);
        const std::string name = region < 8 ? "R" + r : "zone " + r;
        out << "        <region xmi:type=\"uml:Region\" xmi:id=\"r" << r << "\" name=\"" << name << "\">\n";
        const int count = std::min(perRegion, states - made);
        for (int s = 0; s + 1 < count; ++s) {
            const std::string id = r + "_" + std::to_string(s);
            const std::string next = r + "_" + std::to_string(s + 1);
            out << "          <transition xmi:type=\"uml:Transition\" xmi:id=\"t" << id << "\" source=\"s" << id
                << "\" target=\"s" << next << "\" guard=\"g" << id << "\">\n"
                << "            <ownedRule xmi:type=\"uml:Constraint\" xmi:id=\"g" << id
                << "\"><specification xmi:type=\"uml:OpaqueExpression\" xmi:id=\"g" << id
                << "s\"><body>(T0 &amp;&amp; T1) || #R" << (s % 8) << "</body></specification></ownedRule>\n"
                << "          </transition>\n";
        }
        for (int s = 0; s < count; ++s) {
            const std::string id = r + "_" + std::to_string(s);
            const char* stateName = s == 0 ? "OFF" : s == 1 ? "ON" : "extra";
            out << "          <subvertex xmi:type=\"uml:State\" xmi:id=\"s" << id << "\" name=\"" << stateName
                << "\"/>\n";
        }
        out << "        </region>\n";
        made += count;
    }
    out << "      </subvertex>\n"
           "    </region>\n"
           "  </packagedElement>\n"
           "</uml:Model>\n";
    return out.str();
}

std::size_t CountOpenings(const std::string& bytes)
{
    std::size_t count = 0;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while ((p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)))) != nullptr) {
        ++count;
        ++p;
    }
    return count;
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return in ? bytes.str() : std::string();
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace quarn::bench
