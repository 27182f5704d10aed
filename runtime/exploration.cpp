#include "runtime/exploration.hpp"

#include "runtime/step.hpp"

#include <algorithm>
#include <bit>

namespace quarn::runtime {

namespace {

constexpr int kNodes = 4096;
// A search over 4096 nodes never needs more than 4095 steps, so every stretch
// of 4096 seconds or more is searched alike.
constexpr Instant kLongestLength = kNodes;
// Each stretch keeps its start and its search (16 bytes); a hundred years of
// eight timers switching three times a day needs under a million.
constexpr std::size_t kStretchBudget = std::size_t{2} << 20;

const char* const kBudgetText =
    "the program's states do not repeat enough to be checked over this period; check a shorter period";

}  // namespace

std::variant<Exploration, std::string> Exploration::Run(const Program& program, const ExplorationRequest& request)
{
    Exploration exploration;
    exploration.program_ = program;
    exploration.request_ = request;
    const auto pinned = static_cast<std::uint8_t>(request.pinned & 0x0f);
    for (int v = 0; v < 16; ++v) {
        if (((v ^ request.pinnedValues) & pinned) == 0)
            exploration.inputValues_.push_back(static_cast<std::uint8_t>(v));
    }
    if (request.from >= request.to)
        return exploration;

    // Before the first stretch: every relay off, with any input value; the
    // first stretch's entry step settles it.
    NodeSet start{};
    for (const std::uint8_t v : exploration.inputValues_) {
        const int node = v << 8;
        start[static_cast<std::size_t>(node / 64)] |= std::uint64_t{1} << (node % 64);
    }
    std::uint32_t before = exploration.Intern(start);

    std::uint8_t timers = 0;
    std::array<std::optional<Instant>, kTimerCount> nextEdge{};
    for (int n = 0; n < kTimerCount; ++n) {
        const TimerWindow& timer = program.timers[static_cast<std::size_t>(n)];
        if (timer.IsOn(request.from))
            timers = static_cast<std::uint8_t>(timers | 1u << n);
        nextEdge[static_cast<std::size_t>(n)] = timer.NextEdge(request.from);
    }

    Instant at = request.from;
    for (;;) {
        Instant end = request.to;
        for (const auto& edge : nextEdge) {
            if (edge && *edge < end)
                end = *edge;
        }
        const std::optional<std::uint32_t> result = exploration.Search(before, timers, end - at);
        if (!result || exploration.stretches_.size() == kStretchBudget)
            return std::string(kBudgetText);
        if (*result == exploration.firstStretch_.size())
            exploration.firstStretch_.push_back(exploration.stretches_.size());
        exploration.stretches_.push_back({at, *result});
        before = exploration.results_[*result].set;
        if (end >= request.to)
            break;
        for (int n = 0; n < kTimerCount; ++n) {
            auto& edge = nextEdge[static_cast<std::size_t>(n)];
            if (edge != end)
                continue;
            const TimerWindow& timer = program.timers[static_cast<std::size_t>(n)];
            const auto bit = static_cast<std::uint8_t>(1u << n);
            timers = static_cast<std::uint8_t>(timer.IsOn(end) ? timers | bit : timers & ~bit);
            edge = timer.NextEdge(end);
        }
        at = end;
    }
    return exploration;
}

std::uint32_t Exploration::Intern(const NodeSet& set)
{
    const auto [place, added] = setIds_.emplace(set, static_cast<std::uint32_t>(sets_.size()));
    if (added)
        sets_.push_back(set);
    return place->second;
}

Exploration::Node Exploration::Step(std::uint8_t timers, int inputs, int relays)
{
    auto& table = tables_[timers];
    if (!table)
        table = std::make_unique<StepTable>();
    const auto index = static_cast<std::size_t>(inputs << 8 | relays);
    if (!table->known[index]) {
        SignalState state;
        state.timers = timers;
        state.inputs = static_cast<std::uint8_t>(inputs);
        state.relays = static_cast<std::uint8_t>(relays);
        const StepOutcome outcome = Settle(program_, state);
        table->relays[index] = outcome.relays;
        table->offFromOn[index] = static_cast<std::uint8_t>(relays & outcome.toggled);
        table->known[index] = true;
    }
    switchedOffFromOn_ |= table->offFromOn[index];
    return static_cast<Node>(inputs << 8 | table->relays[index]);
}

std::optional<std::uint32_t> Exploration::Search(std::uint32_t before, std::uint8_t timers, Instant length)
{
    const Instant steps = std::min(length, kLongestLength) - 1;  // after the entry step
    const std::uint64_t key =
        std::uint64_t{before} << 21 | std::uint64_t{timers} << 13 | static_cast<std::uint64_t>(steps + 1);
    if (const auto found = searches_.find(key); found != searches_.end())
        return found->second;

    std::array<std::int32_t, kNodes> depth;
    depth.fill(-1);
    std::array<Node, kNodes> from{};
    std::vector<Node> frontier;
    const auto reach = [&](Node node, Node parent, int d) {
        if (depth[node] >= 0)
            return;
        depth[node] = d;
        from[node] = parent;
        frontier.push_back(node);
    };

    // The entry step from every state before the stretch: first with the
    // inputs kept (a schedule needs no change there), then with every other
    // input value.
    const NodeSet previous = sets_[before];
    std::vector<Node> states;
    for (std::size_t word = 0; word < previous.size(); ++word) {
        for (std::uint64_t bits = previous[word]; bits != 0; bits &= bits - 1)
            states.push_back(static_cast<Node>(word * 64 + static_cast<std::size_t>(std::countr_zero(bits))));
    }
    for (const Node p : states)
        reach(Step(timers, p >> 8, p & 0xff), p, 0);
    for (const Node p : states) {
        for (const std::uint8_t v : inputValues_) {
            if (v != p >> 8)
                reach(Step(timers, v, p & 0xff), p, 0);
        }
    }
    // Then one step per further second, each with new inputs.
    std::vector<Node> current;
    for (Instant d = 0; d < steps && !frontier.empty(); ++d) {
        current.swap(frontier);
        frontier.clear();
        for (const Node y : current) {
            for (const std::uint8_t v : inputValues_) {
                if (v != y >> 8)
                    reach(Step(timers, v, y & 0xff), y, static_cast<int>(d + 1));
            }
        }
    }

    Result result;
    result.timers = timers;
    NodeSet set{};
    for (int node = 0; node < kNodes; ++node) {
        if (depth[static_cast<std::size_t>(node)] < 0)
            continue;
        result.nodes.push_back({static_cast<Node>(node), from[static_cast<std::size_t>(node)],
                                static_cast<std::uint16_t>(depth[static_cast<std::size_t>(node)])});
        set[static_cast<std::size_t>(node / 64)] |= std::uint64_t{1} << (node % 64);
    }
    storedNodes_ += result.nodes.size();
    if (storedNodes_ > kNodeBudget)
        return std::nullopt;
    result.set = Intern(set);
    const auto id = static_cast<std::uint32_t>(results_.size());
    results_.push_back(std::move(result));
    searches_.emplace(key, id);
    return id;
}

const Exploration::NodeInfo& Exploration::Info(std::uint32_t result, Node node) const
{
    const std::vector<NodeInfo>& nodes = results_[result].nodes;
    return *std::lower_bound(nodes.begin(), nodes.end(), node,
                             [](const NodeInfo& info, Node value) { return info.node < value; });
}

std::optional<ReachedState> Exploration::FindFirst(const std::function<bool(const SignalState&)>& holds) const
{
    // Results are numbered in the order of the first stretch that has them.
    for (std::size_t r = 0; r < results_.size(); ++r) {
        const Result& result = results_[r];
        const NodeInfo* best = nullptr;
        for (const NodeInfo& info : result.nodes) {
            if (best && info.depth >= best->depth)
                continue;
            SignalState state;
            state.timers = result.timers;
            state.inputs = static_cast<std::uint8_t>(info.node >> 8);
            state.relays = static_cast<std::uint8_t>(info.node & 0xff);
            if (holds(state))
                best = &info;
        }
        if (best)
            return Reconstruct(firstStretch_[r], best->node);
    }
    return std::nullopt;
}

ReachedState Exploration::Reconstruct(std::size_t stretch, Node node) const
{
    ReachedState reached;
    const Result& target = results_[stretches_[stretch].result];
    reached.at = stretches_[stretch].start + Info(stretches_[stretch].result, node).depth;
    reached.state.timers = target.timers;
    reached.state.inputs = static_cast<std::uint8_t>(node >> 8);
    reached.state.relays = static_cast<std::uint8_t>(node & 0xff);

    // Back through the searches: within a stretch from parent to parent (one
    // input change per second after its start), then from its entry state to
    // the state before it (an input change at its start when they differ).
    std::vector<std::pair<Instant, std::uint8_t>> changes;  // latest first
    std::uint8_t startInputs = 0;
    Node x = node;
    for (std::size_t g = stretch;; --g) {
        const std::uint32_t result = stretches_[g].result;
        const Instant start = stretches_[g].start;
        const NodeInfo* info = &Info(result, x);
        while (info->depth > 0) {
            changes.emplace_back(start + info->depth, static_cast<std::uint8_t>(x >> 8));
            x = info->from;
            info = &Info(result, x);
        }
        if (g == 0) {
            startInputs = static_cast<std::uint8_t>(x >> 8);
            break;
        }
        const Node p = info->from;
        if ((p >> 8) != (x >> 8))
            changes.emplace_back(start, static_cast<std::uint8_t>(x >> 8));
        x = p;
    }

    const auto pinned = static_cast<std::uint8_t>(request_.pinned & 0x0f);
    for (int n = 0; n < kInputCount; ++n) {
        if ((pinned >> n & 1) != 0 && (request_.pinnedValues >> n & 1) != 0)
            reached.inputs.push_back({n, true, std::nullopt});
    }
    for (int n = 0; n < kInputCount; ++n) {
        if ((pinned >> n & 1) == 0 && (startInputs >> n & 1) != 0)
            reached.inputs.push_back({n, true, request_.from});
    }
    std::uint8_t inputs = startInputs;
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        for (int n = 0; n < kInputCount; ++n) {
            const bool on = (change->second >> n & 1) != 0;
            if (on != ((inputs >> n & 1) != 0))
                reached.inputs.push_back({n, on, change->first});
        }
        inputs = change->second;
    }
    return reached;
}

}  // namespace quarn::runtime
