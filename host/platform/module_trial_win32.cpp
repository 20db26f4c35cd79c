// Windows has no fork: the module is not tried in a child process; the loader guards its own
// opening of the module.
#include "module_trial.h"

namespace host {

std::optional<std::string> moduleTrialProblem(const std::string& /*path*/, double /*limitSeconds*/) {
    return std::nullopt;
}

}  // namespace host
