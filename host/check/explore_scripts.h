// The scripts of `check --explore`: random sessions in the console language that drive a plug-in
// the way a person at the console might (touches of both teams at ordinary and extreme velocities,
// settings, reloads and unloads, panel frames and clicks, waits, in any order), written to files
// that `check --replay` runs, and the smaller scripts a failing one is shrunk through.
//
// A script file is console lines, and a comment that names its thread arrangement:
//   # threads separate
// Two commands exist only in a session a check runs: `frame` draws the settings window once, and
// `click NAME` clicks the middle of the panel's widget that shows the variable NAME, if one is drawn.
//
// Threads: the runner's, or a check's process's one thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "threads/host_threads.h"

namespace host::check {

struct SessionScript {
    ThreadMode threads = ThreadMode::One;
    std::vector<std::string> lines;
};

// What a generated script may name: the plug-in's variables, as its first load registers them, and
// whether it has a panel.
struct ExploredPlugin {
    struct Variable {
        std::string name;
        bool numeric = false;
        float min = -10.0f;  // the range values are drawn from, the variable's own where it has one
        float max = 10.0f;
    };
    std::vector<Variable> variables;
    bool hasPanel = false;
};

// [a check's process] Session `index` of a run seeded `seed`: the same three, the same script. Even
// sessions run on one thread, odd ones on separate threads. Every line is one the host accepts in
// the state the lines before it leave (a variable is set only once the plug-in has registered it,
// an unload only of a loaded plug-in), so that any error is the plug-in's.
SessionScript generateSession(const ExploredPlugin& plugin, std::uint64_t seed, int index);

// The file's text, `about` its first comment line; and a file read back. readScript throws
// HostError for a file that cannot be read.
std::string scriptText(const SessionScript& script, const std::string& about);
SessionScript readScript(const std::string& path);

// The smallest script found from `script` for which `stillFails` holds, trying until `deadline`:
// chunks of lines dropped, the largest first, then each number made 0 or whole. `stillFails` is
// called once per candidate; `script` itself is taken to fail.
SessionScript shrinkScript(SessionScript script, const std::function<bool(const SessionScript&)>& stillFails,
                           std::chrono::steady_clock::time_point deadline);

}  // namespace host::check
