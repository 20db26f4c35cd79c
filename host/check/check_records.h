// What a check's process tells the runner, as records: JSON objects, one a line, appended to a file
// the runner names (the hidden `check --run-one UNIT --records FILE`) and flushed as each is made,
// so that a process that crashes or hangs has already left what it found. The fault watcher
// appends its report of a crash or a hang to the same file (faults/fault_reports.h); the runner
// reads the file once the process has ended, and no wording of anyone's.
//
//   {"call": KIND, "name": N, "text": T, "vector": ["X", "Y", "Z"], "seconds": "S"}
//                                 an SDK call the plug-in made (pluginsdk/sdk_call.h), its numbers as text
//   {"figure": NAME, "value": NUMBER}             what the check measured
//   {"progress": WHAT, "done": N, "of": M}        how far it got, for a report if it is stopped
//   {"verdict": "PASS"|"WARN"|"FAIL"|"SKIP", "message": TEXT}   how the check ended
//   {"fault": "crash"|"hang", "message": TEXT, "report": TEXT}   the fault watcher's
//
// The file stays small whatever the plug-in does: the calls a report shows are the last few, so
// the calls are written over from time to time, keeping those.
//
// Threads: a CheckRecords may be written from any thread (the plug-in's calls come from the host's
// threads); readRecords from any.
#pragma once

#include <cstdint>
#include <cstdio>
#include <array>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "pluginsdk/sdk_call.h"

namespace host::check {

// How many of the last SDK calls a report shows.
inline constexpr std::size_t kShownCalls = 12;

// The writing end, in a check's process.
class CheckRecords {
public:
    // Appends to `path`; empty: records nothing (a check run where no runner reads it). Throws
    // HostError if the file cannot be opened.
    explicit CheckRecords(const std::string& path);
    ~CheckRecords();
    CheckRecords(const CheckRecords&) = delete;
    CheckRecords& operator=(const CheckRecords&) = delete;

    void call(const pluginsdk::SdkCall& call);
    void figure(const std::string& name, double value);
    // `done` of `of` `what` ("cycles") so far.
    void progress(const std::string& what, long long done, long long of);
    // "PASS", "WARN", "FAIL" or "SKIP", and why.
    void verdict(const char* verdict, const std::string& message);
    // Frees the last calls it holds to write the file over (they stay in the file), so that a check
    // that measures the heap does not count them.
    void forgetHeldCalls();

private:
    void write(const std::string& line);
    // A record that is not a call.
    void writeBetweenCalls(const std::string& line);
    // Under mutex_.
    void dropHeldCalls();

    std::mutex mutex_;
    std::string path_;
    std::FILE* file_ = nullptr;
    std::uintmax_t callsStart_ = 0;  // where the calls written since the last other record start
    std::size_t callsWritten_ = 0;   // since then
    // The last calls, oldest at lastCallsNext_ once full: a ring, so that what it holds is those
    // calls' text alone, whatever the count of calls before them (a check measures the heap).
    std::array<std::string, kShownCalls> lastCalls_;
    std::size_t lastCallsNext_ = 0;
    std::size_t lastCallsHeld_ = 0;
};

// The reading end, in the runner: what a unit's process left.
struct UnitRecords {
    struct Fault {
        bool hang = false;  // else a crash
        std::string message;
        std::string report;
    };
    std::optional<std::string> verdict;  // "PASS", "WARN", "FAIL" or "SKIP"
    std::string message;
    std::optional<Fault> fault;
    std::vector<pluginsdk::SdkCall> lastCalls;  // the last kShownCalls before the fault, if any
    std::map<std::string, double> figures;
    std::string progress;  // the last: "412 of 1002 cycles"
};

// Reads the records in `path` (none if it is missing); a line that is not a record (one cut short
// as the process ended) is passed over.
UnitRecords readRecords(const std::string& path);

}  // namespace host::check
