// The results of a run as files CI reads: JUnit XML (pugixml) and JSON (nlohmann-json), each made in
// memory and written whole.
#include <sstream>

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "check_runner.h"
#include "platform/files.h"
#include "printable_text.h"

namespace host::check {
namespace {

// Text from a plug-in's output, made fit for XML 1.0 and JSON.
std::string plainText(const std::string& text) {
    return printable(text, Plain::AsciiAndLayout);
}

}  // namespace

void writeJunit(const std::string& path, const RunOptions& options, const std::vector<UnitResult>& results) {
    pugi::xml_document document;
    pugi::xml_node suites = document.append_child("testsuites");
    pugi::xml_node suite = suites.append_child("testsuite");
    suite.append_attribute("name") = "quorvel-host check";
    std::size_t failures = 0;
    std::size_t errors = 0;
    std::size_t skipped = 0;
    double seconds = 0.0;
    for (const UnitResult& result : results) {
        pugi::xml_node test = suite.append_child("testcase");
        test.append_attribute("classname") = "quorvel-host.check";
        test.append_attribute("name") = result.name.c_str();
        test.append_attribute("time") = result.seconds;
        seconds += result.seconds;
        if (result.verdict == UnitResult::Verdict::Skip) {
            ++skipped;
            test.append_child("skipped").append_attribute("message") = plainText(result.message).c_str();
        } else if (failsTheRun(result.verdict, options.strict)) {
            // A check that did not hold (or warned, under --strict) is a failure; one that crashed
            // or hung is an error.
            const bool failure = result.verdict == UnitResult::Verdict::Fail || result.verdict == UnitResult::Verdict::Warn;
            (failure ? failures : errors) += 1;
            pugi::xml_node node = test.append_child(failure ? "failure" : "error");
            node.append_attribute("type") = verdictName(result.verdict);
            node.append_attribute("message") = plainText(result.message).c_str();
            node.text() = plainText(result.details + "reproduce: " + result.reproduce + "\n").c_str();
        } else if (result.verdict == UnitResult::Verdict::Warn) {
            // JUnit has no warning: a passing case that says it warned.
            test.append_child("system-out").text() = ("WARN: " + plainText(result.message) + "\n").c_str();
        }
    }
    suite.append_attribute("tests") = results.size();
    suite.append_attribute("failures") = failures;
    suite.append_attribute("errors") = errors;
    suite.append_attribute("skipped") = skipped;
    suite.append_attribute("time") = seconds;
    pugi::xml_node properties = suite.prepend_child("properties");
    for (const auto& [name, value] : {std::pair<const char*, std::string>{"module", options.check.modulePath},
                                      {"seed", std::to_string(options.check.seed)}}) {
        pugi::xml_node property = properties.append_child("property");
        property.append_attribute("name") = name;
        property.append_attribute("value") = plainText(value).c_str();
    }
    std::ostringstream text;
    document.save(text, "  ", pugi::format_default | pugi::format_no_declaration);
    writeFileAtomically(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + text.str());
}

void writeJson(const std::string& path, const RunOptions& options, const std::vector<UnitResult>& results) {
    nlohmann::json checks = nlohmann::json::array();
    nlohmann::json counts = nlohmann::json::object();
    for (const VerdictWords& words : everyVerdict()) {
        counts[words.name] = 0;
    }
    std::size_t failed = 0;  // of every verdict that fails the run
    for (const UnitResult& result : results) {
        failed += failsTheRun(result.verdict, options.strict) ? 1 : 0;
        counts[verdictName(result.verdict)] = counts[verdictName(result.verdict)].get<std::size_t>() + 1;
        nlohmann::json check = {{"name", result.name},
                                {"description", result.description},
                                {"verdict", verdictName(result.verdict)},
                                {"seconds", result.seconds}};
        if (!result.message.empty()) {
            check["message"] = plainText(result.message);
        }
        if (!result.details.empty()) {
            check["details"] = plainText(result.details);
        }
        if (!result.reproduce.empty()) {
            check["reproduce"] = result.reproduce;
        }
        if (!result.figures.empty()) {
            check["figures"] = result.figures;
        }
        checks.push_back(std::move(check));
    }
    const nlohmann::json report = {{"module", plainText(options.check.modulePath)},
                                   {"seed", options.check.seed},
                                   {"checks", std::move(checks)},
                                   {"passed", counts["PASS"]},
                                   {"warned", counts["WARN"]},
                                   {"failed", failed},
                                   {"skipped", counts["SKIP"]},
                                   {"verdicts", std::move(counts)},
                                   {"strict", options.strict}};
    writeFileAtomically(path, report.dump(2) + "\n");
}

}  // namespace host::check
