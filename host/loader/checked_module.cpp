#include "checked_module.h"

#include <optional>

#include "host_error.h"
#include "module_file_check.h"
#include "platform/module_trial.h"

namespace host {
namespace {

[[noreturn]] void refuse(const std::string& path, const std::string& problem) {
    throw HostError("cannot load '" + path + "': " + problem);
}

}  // namespace

CheckedModule CheckedModule::check(const std::string& path, double trialSeconds) {
    // A file cut short or not a file at all would stop the platform's loader itself (a bus error,
    // a wait on a pipe): looked at before anything opens it, even to copy it.
    if (const auto problem = moduleFileProblem(path)) {
        refuse(path, *problem);
    }
    std::optional<PinnedModuleFile> pinned;
    try {
        pinned.emplace(path);
    } catch (const HostError& error) {
        refuse(path, error.what());
    }
    CheckedModule module(path, std::move(*pinned));
    // What was pinned may have changed since the first look.
    std::optional<std::string> problem = moduleFileProblem(module.loadPath());
    if (!problem) {
        problem = moduleTrialProblem(module.loadPath(), trialSeconds);
    }
    if (problem) {
        refuse(path, module.namingTheFileAsGiven(*problem));
    }
    return module;
}

std::string CheckedModule::namingTheFileAsGiven(std::string text) const {
    if (loadPath() == path_) {
        return text;
    }
    for (std::size_t at = text.find(loadPath()); at != std::string::npos; at = text.find(loadPath(), at + path_.size())) {
        text.replace(at, loadPath().size(), path_);
    }
    return text;
}

}  // namespace host
