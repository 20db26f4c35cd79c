// A module opened once in a throw-away child process before the host opens it itself.
//
// Opening a module runs its static set-up, the module's own code, inside the platform's loader. An
// exception thrown there cannot be caught on its way through the loader (the host would end in
// std::terminate, or go on with the loader's locks held), and a crash there is the host's crash. In
// a child process either is just a result: the host refuses the module and goes on.
//
// Who calls it: the loader, before it opens a module, on the thread that loads modules. The child
// opens and closes the module, with its standard output and error thrown away, and ends without
// running any clean-up of the host's. On Windows there is no trial: it reports nothing. There the
// system's loader stops an exception out of a module's start-up itself and fails the load with the
// exception's code.
#pragma once

#include <optional>
#include <string>

namespace host {

// Why the module at `path` cannot be opened without harm ("its static set-up threw: ...", "a trial
// load in a child process ended with signal 11 (Segmentation fault)", a static set-up still running
// after `limitSeconds`, 0 for no limit), or nothing if the trial went well or could not say (the
// host's own load then reports what goes wrong).
std::optional<std::string> moduleTrialProblem(const std::string& path, double limitSeconds);

}  // namespace host
