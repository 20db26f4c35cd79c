// A script a module brings with its expected transcript (NAME.scenario beside NAME.expected, and
// NAME.separate.expected where the separate threads print otherwise), run as a check.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "checks.h"
#include "console/command_interpreter.h"
#include "console/script_runner.h"
#include "picture_commands/picture_commands.h"
#include "platform/files.h"
#include "session/host_session.h"

namespace host::check {
namespace {

// The script's path without ".scenario": where its expected files are.
std::string baseOf(const std::string& script) {
    const bool named = script.size() > 9 && script.compare(script.size() - 9, 9, ".scenario") == 0;
    return named ? script.substr(0, script.size() - 9) : script;
}

std::string expectedFor(const std::string& script, ThreadMode threads) {
    const std::string base = baseOf(script);
    if (threads == ThreadMode::Separate && std::filesystem::exists(base + ".separate.expected")) {
        return base + ".separate.expected";
    }
    return base + ".expected";
}

}  // namespace

void checkScenario(const CheckOptions& options, CheckRecords& /*records*/) {
    const std::string expectedFile = expectedFor(options.scenario, options.threads);
    std::ifstream expectedStream(expectedFile, std::ios::binary);
    const bool missing = !expectedStream && !std::filesystem::exists(expectedFile);
    if (!expectedStream && !(missing && options.record)) {
        throw CheckFailed(missing ? "there is no expected transcript " + expectedFile +
                                        " ('check --scenario FILE --record' writes it from a run)"
                                  : "cannot read the expected transcript " + expectedFile);
    }
    std::ostringstream expected;
    expected << expectedStream.rdbuf();
    std::ostringstream transcript;
    std::ostringstream errors;
    int status = 0;
    {
        HostSession session(options.modulePath, transcript, options.threads);
        session.setPluginTimeout(options.pluginTimeout);
        CommandInterpreter interpreter(session);
        addPictureCommands(interpreter, session);
        status = runScripts(interpreter, {options.scenario}, transcript, errors);
    }
    // A script meant to fail says so with its expected errors beside it (NAME.stderr).
    const bool meantToFail = std::filesystem::exists(baseOf(options.scenario) + ".stderr");
    require(meantToFail ? status != 0 : status == 0, "the script " + std::string(status == 0 ? "ran to its end" : "failed") +
                                                         ": " + errors.str());
    if (missing) {
        // Only a missing transcript is written: one that exists may be the only record of what was right.
        const std::string text = transcript.str();
        writeFileAtomically(expectedFile, text);
        const auto lines = std::count(text.begin(), text.end(), '\n');
        throw CheckSkipped("recorded its transcript " + expectedFile + " from this run (" + std::to_string(lines) +
                           (lines == 1 ? " line" : " lines") + "): nothing to compare it with yet");
    }
    require(transcript.str() == expected.str(),
            "its transcript differs from " + expectedFile + ": " +
                firstDifference(expected.str(), transcript.str(), "expected", "the script printed") +
                (options.record ? " (--record writes only a missing transcript: remove it to record it again)" : ""));
}

}  // namespace host::check
