// quorvel-bench's entry point: Google Benchmark's own, except that the program names itself in its
// help, and that the context it prints leaves out the library's "Library was built as DEBUG"
// warning. That warning is compiled into Debian's libbenchmark.so, which Debian builds without
// NDEBUG; it speaks of the library's own code, not of this program's. What is timed here, the loop
// `for (auto _ : state)`, is inline code of the library's header, compiled into this program with
// the preset's optimisation and NDEBUG; the library's code runs once per batch of iterations.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

void printUsage() {
    std::fputs(
        "quorvel-bench: what a touch through Quorvel and a frame of its settings panel cost, against\n"
        "baseline plug-ins that make the same SDK calls (scripts/bench runs it; see the README).\n"
        "usage: quorvel-bench [--benchmark_list_tests={true|false}]\n"
        "                     [--benchmark_filter=<regex>]\n"
        "                     [--benchmark_min_time=<min_time>]\n"
        "                     [--benchmark_min_warmup_time=<min_warmup_time>]\n"
        "                     [--benchmark_repetitions=<num_repetitions>]\n"
        "                     [--benchmark_enable_random_interleaving={true|false}]\n"
        "                     [--benchmark_report_aggregates_only={true|false}]\n"
        "                     [--benchmark_display_aggregates_only={true|false}]\n"
        "                     [--benchmark_format=<console|json|csv>]\n"
        "                     [--benchmark_out=<filename>]\n"
        "                     [--benchmark_out_format=<json|console|csv>]\n"
        "                     [--benchmark_color={auto|true|false}]\n"
        "                     [--benchmark_counters_tabular={true|false}]\n"
        "                     [--benchmark_context=<key>=<value>,...]\n"
        "                     [--benchmark_time_unit={ns|us|ms|s}]\n"
        "                     [--v=<verbosity>]\n"
        "The options are Google Benchmark's.\n",
        stdout);
}

// The display reporter the options ask for (--benchmark_format), its context without the
// library's build warning.
class DisplayReporter : public benchmark::BenchmarkReporter {
public:
    DisplayReporter() : display_(benchmark::CreateDefaultDisplayReporter()) {}

    bool ReportContext(const Context& context) override {
        std::ostringstream text;
        display_->SetErrorStream(&text);
        const bool run = display_->ReportContext(context);
        display_->SetErrorStream(&GetErrorStream());
        std::istringstream lines(text.str());
        for (std::string line; std::getline(lines, line);) {
            if (line.find("Library was built as DEBUG") == std::string::npos) {
                GetErrorStream() << line << '\n';
            }
        }
        return run;
    }
    void ReportRuns(const std::vector<Run>& runs) override { display_->ReportRuns(runs); }
    void Finalize() override { display_->Finalize(); }

private:
    std::unique_ptr<benchmark::BenchmarkReporter> display_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv, printUsage);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    DisplayReporter display;
    benchmark::RunSpecifiedBenchmarks(&display);
    benchmark::Shutdown();
    return 0;
}
