#include "simulator/dashboard.hpp"

#include <cmath>
#include <cstdio>

namespace quarn::sim {

namespace {

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Number(double value)
{
    char text[32];
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

std::string StateJson(const DashboardState& state)
{
    using namespace runtime;
    std::string json = "{\"clock\": " + JsonString(FormatIso(state.now)) +
                       ", \"weekday\": " + JsonString(WeekdayName(Weekday(state.now))) +
                       ", \"speed\": " + Number(state.speed) +
                       ", \"program\": " + (state.program.empty() ? std::string("null") : JsonString(state.program)) +
                       ", \"mask\": " + std::to_string(state.signals.relays) + ", \"signals\": {";
    std::string uses;
    bool first = true;
    for (const Signal signal : AllSignals()) {
        json += (first ? "" : ", ") + JsonString(SignalName(signal)) + ": " +
                (IsOn(state.signals, signal) ? "true" : "false");
        first = false;
        if (IsOn(state.uses, signal))
            uses += (uses.empty() ? "" : ", ") + JsonString(SignalName(signal));
    }
    json += "}, \"uses\": [" + uses + "], \"warnings\": [";
    for (std::size_t i = 0; i < state.warnings.size(); ++i)
        json += (i > 0 ? ", " : "") + JsonString(state.warnings[i]);
    json += "], \"why\": {";
    first = true;
    for (int n = 0; n < kRelayCount; ++n) {
        const auto& lines = state.why[static_cast<std::size_t>(n)];
        if (lines.empty())
            continue;
        json += (first ? "" : ", ") + JsonString("R" + std::to_string(n)) + ": [";
        for (std::size_t i = 0; i < lines.size(); ++i)
            json += (i > 0 ? ", " : "") + JsonString(lines[i]);
        json += "]";
        first = false;
    }
    return json + "}}\n";
}

std::string DashboardHtml(std::string_view token)
{
    static const std::string page = R"html(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="quarn-token" content="@TOKEN@">
<title>quarnsim</title>
<style>
body { font-family: sans-serif; margin: 1.5em; color: #222; }
h1 { font-size: 1.4em; margin: 0 0 .3em; }
#clock { font-size: 1.6em; font-variant-numeric: tabular-nums; }
#program, #warnings { margin: .4em 0 1em; color: #555; }
#warnings { color: #a40; }
h2 { font-size: 1em; margin: 1em 0 .4em; }
.row { display: flex; flex-wrap: wrap; gap: .5em; }
.signal { min-width: 4.5em; padding: .5em .6em; border: 1px solid #999; border-radius: 4px;
          background: #eee; font: inherit; text-align: center; }
button.signal { cursor: pointer; }
.signal.on { background: #3a3; border-color: #272; color: #fff; }
.signal.unused { opacity: .45; }
#error { color: #b00; }
#why { margin: .6em 0 0; font-size: .9em; color: #333; white-space: pre-wrap; }
footer { margin-top: 2em; font-size: .85em; color: #777; }
</style>
</head>
<body>
<h1>quarnsim</h1>
<div id="clock">-</div>
<div id="program">-</div>
<div id="warnings"></div>
<h2>Relays (click to switch by hand)</h2>
<div class="row" id="relays"></div>
<div id="why"></div>
<h2>Timers</h2>
<div class="row" id="timers"></div>
<h2>Inputs (click to toggle)</h2>
<div class="row" id="inputs"></div>
<div id="error"></div>
<footer><a href="control.html">control.html</a> &middot; <a href="state_machine_mp.html">state_machine_mp.html</a>
&middot; <a href="state.json">state.json</a></footer>
<script>
"use strict";
const groups = { relays: "R", timers: "T", inputs: "S" };
const counts = { R: 8, T: 8, S: 4 };
// The actions change the controller: they go as POST with this run's token,
// which only a page served by quarnsim itself can read.
const token = document.querySelector('meta[name="quarn-token"]').content;
let state = null;

function make(kind, n) {
  const element = document.createElement(kind === "T" ? "span" : "button");
  element.id = kind + n;
  element.className = "signal";
  element.dataset.on = "0";
  element.textContent = kind + n + " off";
  if (kind === "R")
    element.onclick = () => send("switch.json?" + String.fromCharCode(65 + n) + "=" + (isOn(element) ? "0" : "1"));
  if (kind === "S")
    element.onclick = () => send("input.json?S" + n + "=" + (isOn(element) ? "0" : "1"));
  return element;
}

function isOn(element) { return element.dataset.on === "1"; }

for (const [group, kind] of Object.entries(groups))
  for (let n = 0; n < counts[kind]; ++n)
    document.getElementById(group).appendChild(make(kind, n));

function show(next) {
  state = next;
  document.getElementById("clock").textContent = next.weekday + " " + next.clock.replace("T", " ") +
    (next.speed !== 1 ? "  (" + next.speed + "x)" : "");
  document.getElementById("program").textContent =
    next.program === null ? "No program: relays switch only by hand." : "Program: " + next.program;
  document.getElementById("warnings").textContent = next.warnings.join("; ");
  document.getElementById("why").textContent =
    Object.values(next.why || {}).map((lines) => lines.join("\n  ")).join("\n");
  for (const [name, on] of Object.entries(next.signals)) {
    const element = document.getElementById(name);
    if (!element)
      continue;
    element.dataset.on = on ? "1" : "0";
    element.textContent = name + (on ? " on" : " off");
    element.classList.toggle("on", on);
    element.classList.toggle("unused", next.program !== null && !next.uses.includes(name));
  }
  document.body.dataset.clock = next.clock;
  document.getElementById("error").textContent = "";
}

let busy = false;
async function refresh() {
  if (busy)
    return;
  busy = true;
  try {
    const reply = await fetch("state.json", { cache: "no-store" });
    show(await reply.json());
  } catch (error) {
    document.getElementById("error").textContent = "quarnsim does not answer: " + error;
  } finally {
    busy = false;
  }
}

async function send(query) {
  try {
    await fetch(query, { method: "POST", cache: "no-store", headers: { "X-Quarn-Token": token } });
  } catch (error) {
    document.getElementById("error").textContent = "quarnsim does not answer: " + error;
  }
  await refresh();
}

refresh();
setInterval(refresh, 500);
</script>
</body>
</html>
)html";
    std::string filled = page;
    const std::size_t at = filled.find("@TOKEN@");
    filled.replace(at, 7, token);
    return filled;
}

}  // namespace quarn::sim
