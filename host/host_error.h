// The one error the host throws: something asked of it that cannot be done (a module that cannot
// be loaded, a console command that cannot run, a picture or file that cannot be written). The
// message says what and why, in words for the user; whoever reports it adds where (script file and
// line, or the program's name).
//
// Every folder of the host may throw it, so it depends on nothing of the host.
#pragma once

#include <ostream>
#include <stdexcept>

namespace host {

class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs one of the program's modes, `work`, for its exit status: 0, or 1 once a HostError stops it,
// with "quorvel-host: MESSAGE" on `errors`.
template <typename Work>
int runReportingErrors(std::ostream& errors, Work&& work) {
    try {
        work();
    } catch (const HostError& error) {
        errors << "quorvel-host: " << error.what() << '\n';
        return 1;
    }
    return 0;
}

}  // namespace host
