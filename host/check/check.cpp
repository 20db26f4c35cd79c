#include "check.h"

#include <exception>
#include <optional>
#include <sstream>
#include <string_view>

#include "check_records.h"
#include "checks.h"
#include "host_error.h"
#include "printable_text.h"

namespace host::check {
namespace {

struct NamedLevel {
    const char* name;
    Level level;
};
constexpr NamedLevel kLevels[] = {{"quick", Level::Quick}, {"default", Level::Default}, {"thorough", Level::Thorough}};

}  // namespace

const char* levelName(Level level) {
    for (const NamedLevel& named : kLevels) {
        if (named.level == level) {
            return named.name;
        }
    }
    return "default";
}

std::optional<Level> levelNamed(std::string_view name) {
    for (const NamedLevel& named : kLevels) {
        if (named.name == name) {
            return named.level;
        }
    }
    return std::nullopt;
}

std::vector<std::string> levelNames() {
    std::vector<std::string> names;
    for (const NamedLevel& named : kLevels) {
        names.emplace_back(named.name);
    }
    return names;
}

Amounts amountsAt(Level level) {
    switch (level) {
    case Level::Quick:
        return {10, 100, 1'000};
    case Level::Thorough:
        return {1'000, 10'000, 100'000};
    case Level::Default:
        break;
    }
    return {100, 1'000, 10'000};
}

void require(bool holds, const std::string& message) {
    if (!holds) {
        throw CheckFailed(message);
    }
}

std::mt19937_64 randomFor(const CheckOptions& options, const char* check) {
    std::uint64_t mixed = options.seed;
    for (const char c : std::string_view(check)) {
        mixed = (mixed ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;  // FNV-1a's step
    }
    return std::mt19937_64(mixed);
}

std::string firstDifference(const std::string& a, const std::string& b, const std::string& aSaid,
                            const std::string& bSaid) {
    std::size_t line = 1;
    std::size_t start = 0;
    for (std::size_t at = 0; at < a.size() && at < b.size() && a[at] == b[at]; ++at) {
        if (a[at] == '\n') {
            ++line;
            start = at + 1;
        }
    }
    const auto lineOf = [start](const std::string& text) {
        return start >= text.size() ? std::string("(the end)") : quoted(text.substr(start, text.find('\n', start) - start));
    };
    return "line " + std::to_string(line) + ": " + aSaid + " " + lineOf(a) + ", " + bSaid + " " + lineOf(b);
}

const std::vector<Check>& catalogue() {
    using A = Check::Arrangements;
    static const std::vector<Check> checks = {
        {"module-file", "The module file is complete for this platform, and its record's names are printable and its functions inside the module.", A::One, checkModuleFile},
        {"load", "getPlugin returns the same object each time, onLoad returns within a second, and a refused load leaves the world as it was.", A::Both, checkLoad},
        {"load-unload-cycles", "Loaded and unloaded again and again, the plug-in leaves live handles, threads, open files and resident memory where they started, and its module unmapped.", A::Both, checkLoadUnloadCycles},
        {"memory-per-event", "Over many touches, game ticks and panel frames after a warm-up, the heap grows by no more than a few bytes per event.", A::Both, checkMemoryPerEvent},
        {"unload-with-pending", "Unloaded with timers pending and hooks registered, the plug-in sets nothing from its destructors and none of its callbacks runs after its object is gone.", A::Both, checkUnloadWithPending},
        {"reload-keeps-values", "A reload keeps every variable's value.", A::Both, checkReloadKeepsValues},
        {"settings-round-trip", "Every saved variable's value, saved to a settings file at unload, reads back the same in text and bits in a fresh host process given that file.", A::One, checkSettingsRoundTrip},
        {"variables", "Every variable's name is printable and registered once, its default reads back, and registering it again keeps its value.", A::One, checkVariables},
        {"settings-under-attack", "With any variable at NaN, an infinity, the largest float, a negative number, zero or text, touches of both teams neither crash nor throw, and the ball's velocity stays finite.", A::Both, checkSettingsUnderAttack},
        {"determinism", "Two runs with the same clock and touches print the same bytes; if not, a WARN: only time() is the host's to fix.", A::Both, checkDeterminism},
        {"threads", "With separate threads, hooks and timers run on the game thread while the panel is drawn on the render thread, and loading and unloading on the loader thread; the plug-in may call the SDK from threads of its own.", A::Separate, checkThreads},
        {"process-state", "Each entry point leaves the process as it found it: the locale, the floating-point environment, the working directory, every signal's handling and the standard descriptors; and no thread of the plug-in's runs once it is unloaded, no fork of its comes back into the host's code, and it raises no stop signal.", A::One, checkProcessState},
        {"panel", "Drawn in a window the host began, the panel leaves Dear ImGui's stacks as it found them in every frame and under each combination of its check boxes, a frame without input writes nothing, a click on each check box (a square frame a click toggles) writes once, and its name is the same printable text every time.", A::Both, checkPanel},
        {"exceptions", "No exception crosses any entry point: load, touches, timers, the panel, reload and unload.", A::Both, checkExceptions},
        {"budgets", "A touch cycle and a panel frame, each timed over many runs, stay within their budgets (--budget-touch-us, --budget-frame-us).", A::One, checkBudgets},
    };
    return checks;
}

}  // namespace host::check

namespace host::check {
namespace {

struct Unit {
    const Check* check = nullptr;
    ThreadMode threads = ThreadMode::One;
    std::string scenario;  // the script of a scenario unit
    int exploreFirst = 0;  // the sessions of an explore unit
    int exploreCount = 0;
};

// "load/separate" → the check "load" on separate threads; "module-file" → the one arrangement it
// has; "scenario:demo/one" → the script whose file name is demo(.scenario) on one thread.
std::optional<Unit> findUnit(std::string_view name, const std::vector<std::string>& scenarios) {
    Unit unit;
    std::string_view base = name;
    if (const std::size_t slash = name.rfind('/'); slash != std::string_view::npos) {
        const std::optional<ThreadMode> threads = parseThreadMode(name.substr(slash + 1));
        if (!threads) {
            return std::nullopt;
        }
        unit.threads = *threads;
        base = name.substr(0, slash);
    }
    if (base == kLoadCycleUnit) {
        static const Check measure{kLoadCycleUnit, "", Check::Arrangements::One, measureLoadCycle};
        unit.check = &measure;
        return unit;
    }
    if (base == kReplayUnit) {
        static const Check replay{kReplayUnit, "", Check::Arrangements::One, checkReplay};
        unit.check = &replay;
        return unit;
    }
    // "explore:FIRST:COUNT"
    if (base.rfind(std::string(kExploreUnit) + ":", 0) == 0) {
        static const Check sessions{kExploreUnit, "", Check::Arrangements::One, checkExploredSessions};
        unit.check = &sessions;
        std::istringstream numbers{std::string(base.substr(8))};
        char colon = 0;
        if (!(numbers >> unit.exploreFirst >> colon >> unit.exploreCount) || colon != ':') {
            return std::nullopt;
        }
        return unit;
    }
    if (base.rfind("scenario:", 0) == 0) {
        for (const std::string& script : scenarios) {
            if (scenarioName(script) == base.substr(9)) {
                static const Check scenarioCheck{"scenario", "", Check::Arrangements::Both, checkScenario};
                unit.check = &scenarioCheck;
                unit.scenario = script;
                return unit;
            }
        }
        return std::nullopt;
    }
    for (const Check& check : catalogue()) {
        if (base == check.name) {
            unit.check = &check;
            if (check.arrangements == Check::Arrangements::Separate) {
                unit.threads = ThreadMode::Separate;
            }
            return unit;
        }
    }
    return std::nullopt;
}

}  // namespace

std::string scenarioName(const std::string& script) {
    std::string name = script.substr(script.find_last_of("/\\") + 1);
    if (const std::size_t dot = name.rfind(".scenario"); dot != std::string::npos && dot + 9 == name.size()) {
        name.erase(dot);
    }
    return name;
}

int runOne(const std::string& name, CheckOptions options, const std::vector<std::string>& scenarios,
           CheckRecords& records) {
    const std::optional<Unit> unit = findUnit(name, scenarios);
    if (!unit) {
        records.verdict("FAIL", "there is no check " + name);
        return kFailed;
    }
    options.threads = unit->threads;
    options.scenario = unit->scenario;
    options.exploreFirst = unit->exploreFirst;
    options.exploreCount = unit->exploreCount;
    try {
        unit->check->run(options, records);
    } catch (const CheckWarned& warned) {
        records.verdict("WARN", warned.what());
        return kWarned;
    } catch (const CheckSkipped& skipped) {
        records.verdict("SKIP", skipped.what());
        return kSkipped;
    } catch (const std::exception& error) {
        // CheckFailed; a refusal of the host's (a module that does not load); or a throw the
        // boundary turned into an error naming the entry point.
        records.verdict("FAIL", error.what());
        return kFailed;
    }
    records.verdict("PASS", "");
    return kPassed;
}

}  // namespace host::check
