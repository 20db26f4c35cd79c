// The bodies of the checks (check.h's catalogue lists them with their names and sentences), by
// topic: the module file and its loading (checks_module.cpp), the plug-in's lifetime
// (checks_lifetime.cpp), its variables (checks_variables.cpp), where and how its code runs
// (checks_calls.cpp), what it leaves changed of the process (checks_process.cpp), its panel
// (checks_panel.cpp), and the scripts a module brings (checks_scenarios.cpp).
#pragma once

#include <random>
#include <string>

#include "check.h"
#include "check_records.h"

namespace host::check {

void checkModuleFile(const CheckOptions& options, CheckRecords& records);
void checkLoad(const CheckOptions& options, CheckRecords& records);
void checkLoadUnloadCycles(const CheckOptions& options, CheckRecords& records);
void checkUnloadWithPending(const CheckOptions& options, CheckRecords& records);
void checkReloadKeepsValues(const CheckOptions& options, CheckRecords& records);
void checkVariables(const CheckOptions& options, CheckRecords& records);
void checkSettingsUnderAttack(const CheckOptions& options, CheckRecords& records);
void checkDeterminism(const CheckOptions& options, CheckRecords& records);
void checkThreads(const CheckOptions& options, CheckRecords& records);
void checkProcessState(const CheckOptions& options, CheckRecords& records);
void checkPanel(const CheckOptions& options, CheckRecords& records);
void checkExceptions(const CheckOptions& options, CheckRecords& records);
void checkBudgets(const CheckOptions& options, CheckRecords& records);
void checkScenario(const CheckOptions& options, CheckRecords& records);

// Where two texts first differ: "line N: \"A\" and \"B\"".
std::string firstDifference(const std::string& a, const std::string& b);

// The random choices of one check, all from the run's seed and the check's name: one seed, one
// run, whichever other checks ran.
std::mt19937_64 randomFor(const CheckOptions& options, const char* check);

}  // namespace host::check
