// The bodies of the checks (check.h's catalogue lists them with their names and sentences), by
// topic: the module file and its loading (checks_module.cpp), the plug-in's lifetime
// (checks_lifetime.cpp), its variables (checks_variables.cpp), where and how its code runs
// (checks_calls.cpp), what it leaves changed of the process (checks_process.cpp), its panel
// (checks_panel.cpp), its saved settings (checks_saved_settings.cpp), the scripts a module brings
// (checks_scenarios.cpp), and random sessions (checks_explore.cpp).
#pragma once

#include <random>
#include <string>

#include "check.h"
#include "check_records.h"

namespace host::check {

void checkModuleFile(const CheckOptions& options, CheckRecords& records);
void checkLoad(const CheckOptions& options, CheckRecords& records);
void checkLoadUnloadCycles(const CheckOptions& options, CheckRecords& records);
void checkMemoryPerEvent(const CheckOptions& options, CheckRecords& records);
void checkUnloadWithPending(const CheckOptions& options, CheckRecords& records);
void checkReloadKeepsValues(const CheckOptions& options, CheckRecords& records);
void checkSettingsRoundTrip(const CheckOptions& options, CheckRecords& records);
void checkVariables(const CheckOptions& options, CheckRecords& records);
void checkSettingsUnderAttack(const CheckOptions& options, CheckRecords& records);
void checkDeterminism(const CheckOptions& options, CheckRecords& records);
void checkThreads(const CheckOptions& options, CheckRecords& records);
void checkProcessState(const CheckOptions& options, CheckRecords& records);
void checkPanel(const CheckOptions& options, CheckRecords& records);
void checkExceptions(const CheckOptions& options, CheckRecords& records);
void checkBudgets(const CheckOptions& options, CheckRecords& records);
void checkScenario(const CheckOptions& options, CheckRecords& records);
// Not checks of the catalogue: the sessions of `check --explore` (exploreFirst, exploreCount), and
// the script of `check --replay` (checks_explore.cpp).
void checkExploredSessions(const CheckOptions& options, CheckRecords& records);
void checkReplay(const CheckOptions& options, CheckRecords& records);
// Where checkExploredSessions writes session `index`'s script in `folder`.
std::string exploredSessionFile(const std::string& folder, int index);
// Not a check: what one load, two touches and an unload of the plug-in take, as the figure
// kSecondsPerLoadCycle, for the run's time limits (check_runner.h).
void measureLoadCycle(const CheckOptions& options, CheckRecords& records);

// A host built with AddressSanitizer or ThreadSanitizer: its allocator keeps freed memory and
// records of its own, so the checks of memory leave the judging to the sanitizer.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif

// Where two texts first differ, each line named by who wrote it: "line N: A_SAID \"A\", B_SAID
// \"B\"" ("(the end)" for a text that ends there).
std::string firstDifference(const std::string& a, const std::string& b, const std::string& aSaid,
                            const std::string& bSaid);

// The random choices of one check, all from the run's seed and the check's name: one seed, one
// run, whichever other checks ran.
std::mt19937_64 randomFor(const CheckOptions& options, const char* check);

}  // namespace host::check
