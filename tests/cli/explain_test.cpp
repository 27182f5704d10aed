// quarnctl explain against quarnctl simulate: for a table of programs,
// schedules and instants, what explain says of each relay (its value, its last
// change and what changed with it, the values of the signals its deciding
// condition reads, its next change within 366 days) is what simulate shows.
#include "quarnctl_runner.hpp"
#include "runtime/calendar.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <string>
#include <vector>

namespace quarn::test {
namespace {

std::string AmpersandsEscaped(const std::string& text)
{
    std::string escaped;
    for (const char c : text)
        escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
    return escaped;
}

// Relays switched on by their condition and off by its negation (or by the
// given off condition; none when it is empty), and the given timer elements.
std::string ExplainFile(const std::vector<std::vector<std::string>>& relays, const std::string& timers)
{
    std::string text = "<statemachine><version>explain</version>" + timers + "<parallel>";
    for (const auto& relay : relays) {
        const std::string& d = relay[0];
        const std::string off = relay.size() > 2 ? relay[2] : "!(" + relay[1] + ")";
        text += "<state id=\"R" + d + "\"><state id=\"Roff" + d + "\"><transition cond=\"" +
                AmpersandsEscaped(relay[1]) + "\"/></state><state id=\"Ron" + d + "\">" +
                (off.empty() ? std::string() : "<transition cond=\"" + AmpersandsEscaped(off) + "\"/>") +
                "</state></state>";
    }
    return text + "</parallel></statemachine>";
}

const std::string kTimerCount =
    "<timer id=\"0\" start=\"27000\" end=\"79200\" dow=\"31\"/>"            // T0 07:30-22:00 Mon-Fri
    "<timer id=\"1\" start=\"79200\" end=\"18000\" dow=\"31\"/>"            // T1 overnight 22:00-05:00 Mon-Fri
    "<timer id=\"2\" start=\"851385600\" end=\"852163200\" dow=\"127\"/>";  // T2 dated 2026-12-24 - 2027-01-02

// Simulate's timeline as the 20 signals at each instant that has a change.
struct SimulatedStates {
    std::vector<std::pair<std::string, std::map<std::string, bool>>> states;  // the first one at --from

    std::size_t IndexAt(const std::string& at) const
    {
        std::size_t i = 0;
        while (i + 1 < states.size() && states[i + 1].first <= at)
            ++i;
        return i;
    }
    std::vector<std::string> Changed(std::size_t i, const std::string& except) const
    {
        std::vector<std::string> changed;
        for (const auto& [signal, on] : states[i].second) {
            if (signal != except && states[i - 1].second.at(signal) != on)
                changed.push_back(signal);
        }
        return changed;
    }
};

// Signal names in the order T0-T7, S0-S3, R0-R7.
std::vector<std::string> InSignalOrder(std::vector<std::string> names)
{
    const auto rank = [](const std::string& name) { return std::string("TSR").find(name[0]) * 10 + (name[1] - '0'); };
    std::sort(names.begin(), names.end(),
              [&rank](const std::string& a, const std::string& b) { return rank(a) < rank(b); });
    return names;
}

TEST(Explain, AgreesWithSimulate)
{
    const struct {
        const char* name;
        std::vector<std::vector<std::string>> relays;
        std::string inputs;
        std::vector<const char*> instants;
    } cases[] = {
        {"timers and a relay that follows another",
         {{"0", "#T0||#T1"}, {"3", "!((#T0&&#T1)||#R2)"}, {"2", "#T2&&!#R0"}},
         "",
         {"2026-12-14T00:00:00", "2026-12-15T08:00:00", "2026-12-18T23:00:00", "2026-12-19T12:00:00",
          "2026-12-26T12:00:00"}},
        {"a latch and hysteresis",
         {{"0", "#S0||#R0"}, {"1", "#S1", "#S2"}, {"4", "#R1&&#T0"}},
         "--input S0=1@2026-12-15T09:00:00 --input S0=0@2026-12-15T09:00:05 --input S1=1@2026-12-16T10:00:00 "
         "--input S1=0@2026-12-16T11:00:00 --input S2=1@2026-12-17T12:00:00",
         {"2026-12-15T09:00:00", "2026-12-15T09:00:04", "2026-12-16T10:30:00", "2026-12-17T11:59:59",
          "2026-12-20T23:59:59"}},
        {"a relay without an off condition",
         {{"5", "#S3&&#T0", ""}},
         "--input S3=1@2026-12-16T08:00:00",
         {"2026-12-16T07:00:00", "2026-12-16T08:00:00"}},
    };
    QuarnctlRunner quarn;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = quarn.Path("explain.xml");
        QuarnctlRunner::Write(file, ExplainFile(c.relays, kTimerCount));
        file = QuarnctlRunner::Quoted(file);
        for (const char* at : c.instants) {
            SCOPED_TRACE(at);
            const auto explain = quarn("explain " + file + " --at " + at + " --format json " + c.inputs);
            ASSERT_EQ(explain.status, 0) << explain.err;
            const auto json = nlohmann::json::parse(explain.out);
            const runtime::Instant when = runtime::ParseInstant(at).value();
            const std::string monday = runtime::FormatIso(runtime::StartOfWeek(when));
            EXPECT_EQ(json["from"], monday);
            EXPECT_EQ(json["at"], at);
            const std::string horizon = runtime::FormatIso(when + 366 * runtime::kSecondsPerDay);

            const auto simulate =
                quarn("simulate " + file + " --from " + monday + " --days 374 --format json " + c.inputs);
            ASSERT_EQ(simulate.status, 0) << simulate.err;
            const auto timeline = nlohmann::json::parse(simulate.out);
            SimulatedStates states;
            std::map<std::string, bool> state = timeline["initial"].get<std::map<std::string, bool>>();
            states.states.emplace_back(monday, state);
            for (const auto& change : timeline["changes"]) {
                for (const auto& [signal, on] : change.items()) {
                    if (signal != "at")
                        state[signal] = on.get<bool>();
                }
                states.states.emplace_back(change["at"].get<std::string>(), state);
            }
            const std::size_t now = states.IndexAt(at);

            ASSERT_EQ(json["relays"].size(), c.relays.size());
            for (const auto& relay : json["relays"]) {
                const std::string name = relay["relay"];
                SCOPED_TRACE(name);
                EXPECT_EQ(relay["on"].get<bool>(), states.states[now].second.at(name));
                // The last change at or before --at, and what changed with it.
                std::size_t last = now;
                while (last > 0 && states.states[last].second.at(name) == states.states[last - 1].second.at(name))
                    --last;
                if (last == 0) {
                    EXPECT_TRUE(relay["since"].is_null());
                    EXPECT_TRUE(relay["cause"].empty());
                } else {
                    EXPECT_EQ(relay["since"], states.states[last].first);
                    EXPECT_EQ(relay["cause"].get<std::vector<std::string>>(),
                              InSignalOrder(states.Changed(last, name)));
                }
                // The next change after --at within 366 days.
                std::size_t next = now + 1;
                while (next < states.states.size() && states.states[next].first <= horizon &&
                       states.states[next].second.at(name) == states.states[next - 1].second.at(name))
                    ++next;
                if (next == states.states.size() || states.states[next].first > horizon) {
                    EXPECT_TRUE(relay["next"].is_null());
                } else {
                    EXPECT_EQ(relay["next"], states.states[next].first);
                    EXPECT_EQ(relay["nextCause"].get<std::vector<std::string>>(),
                              InSignalOrder(states.Changed(next, name)));
                }
                for (const auto& [signal, on] : relay["signals"].items())
                    EXPECT_EQ(on.get<bool>(), states.states[now].second.at(signal)) << signal;
            }
        }
    }
}

TEST(Explain, TextSaysWhyInWordsAndJsonNamesTheDecidingCondition)
{
    QuarnctlRunner quarn;
    const std::string file = quarn.Path("office.xml");
    QuarnctlRunner::Write(file, ExplainFile({{"3", "(#T0&&#T2)||#R2"}, {"2", "#T1"}}, kTimerCount));
    const auto text = quarn("explain " + QuarnctlRunner::Quoted(file) + " --at 2026-12-24T08:00:00 --relay R3");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out,
              "R3 on since Thu 2026-12-24 07:30:00, when T0 changed\n"
              "  switches off when !((#T0&&#T2)||#R2), which does not hold now\n"
              "  T0 on: daily 07:30:00-22:00:00 Mon-Fri; on since Thu 2026-12-24 07:30:00 until Thu 2026-12-24 "
              "22:00:00\n"
              "  T2 on: dated 2026-12-24 00:00:00 - 2027-01-02 00:00:00, every day; on since Thu 2026-12-24 00:00:00 "
              "until Sat 2027-01-02 00:00:00\n"
              "  R2 off: relay off since Thu 2026-12-24 05:00:00 until Thu 2026-12-24 22:00:00\n"
              "  next change: Fri 2026-12-25 05:00:00, when T1, R2 change\n");

    const struct {
        std::string arguments;
        int status;
    } statuses[] = {
        {"--at 2026-12-24", 2},
        {"--at 2026-12-24T08:00:00 --from 2026-12-25", 2},
        {"--at 2026-12-24T08:00:00 --from 1900-01-01", 2},  // more than 36600 days before
        {"--at 2026-12-24T08:00:00 --relay R8", 2},
        {"--at 2026-12-24T08:00:00 --input S4=1", 2},
        {"--at 2026-12-24T08:00:00 --from 2026-12-20T00:00:00 --relay R2", 0},
    };
    for (const auto& c : statuses) {
        const auto run = quarn("explain " + QuarnctlRunner::Quoted(file) + " " + c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.err;
    }
    const auto missing =
        quarn("explain " + QuarnctlRunner::Quoted(quarn.Path("none.xml")) + " --at 2026-12-24T08:00:00");
    EXPECT_EQ(missing.status, 1);
}

}  // namespace
}  // namespace quarn::test
