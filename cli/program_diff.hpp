#pragma once
// quarnctl diff's findings: what differs in two documents (version, each
// timer's fields as the editor shows them, each relay's condition), and the
// intervals in which their simulated timelines switch a relay differently.
//   text: one line per document difference, e.g.
//           T0 OFF time: 22:00:00 in A, 21:00:00 in B
//         or "same documents"; then one line per interval, e.g.
//           R3  on in A, off in B  Mon 2026-12-14 07:30:00 - Mon 2026-12-14 08:00:00
//         or "same behaviour"; then "warning: A: ..." lines.
//   json: {"from", "to", "documents": [{"item", "a", "b"}],
//          "behaviour": [{"relay", "a", "b", "from", "to"}],
//          "sameBehaviour", "warnings": {"a": [...], "b": [...]}}

#include "document/model.hpp"
#include "runtime/program.hpp"
#include "runtime/timeline.hpp"
#include "runtime/timeline_diff.hpp"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace quarn::cli {

struct DocumentDifference {
    std::string item;  // "version", "T0 ON date", "T3 weekdays", "R2 condition", "R2 on-state condition"
    std::string a;
    std::string b;
};

// Blank fields show as "-", weekdays as quarnctl show prints them
// ("Mo Tu We Th Fr -- --"), an unused relay as "(not used)". The on state's
// condition is compared too where one of the files holds another than the
// negation the editor writes.
std::vector<DocumentDifference> DocumentDifferences(const StateMachineModel& modelA, const runtime::ProgramText& a,
                                                    const StateMachineModel& modelB, const runtime::ProgramText& b);

struct ProgramDiff {
    std::vector<DocumentDifference> documents;
    runtime::Timeline a;
    runtime::Timeline b;
    std::vector<runtime::RelayDifference> behaviour;
};

std::string DiffText(const ProgramDiff& diff);
nlohmann::ordered_json DiffJson(const ProgramDiff& diff);

}  // namespace quarn::cli
