// quorvel-host's line editing part: the interactive console's line editor, with libedit and the
// libraries behind it (libtinfo, libbsd, libmd), in a module of its own
// (quorvel-host-line-editing.so beside the program). The program loads it only when a console
// reads from a terminal, so scripts and a console fed by a pipe never load those libraries.
//
// Who calls what: startLineEditor (console/line_editor.h) opens the module with the program's
// DynamicLibrary (locally: nothing of it is seen by plug-in modules loaded later), looks up
// kLineEditingPartEntry, calls it, and then calls the table's functions on the main thread. The
// part calls back into the program's host code (completion, the history file), which the program
// exports (host/app/program_exports.list); the part exports the entry and nothing else.
// Lifetime: once loaded, the part stays until the program exits. An editor it makes is destroyed
// through its virtual destructor, by the part's own code.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "console/line_editor.h"

namespace host {

// Changed whenever LineEditingPart changes, so a module left from another build is refused, not called.
inline constexpr unsigned kLineEditingPartVersion = 1;

struct LineEditingPart {
    unsigned version;  // kLineEditingPartVersion
    // An editor as startLineEditor describes it; never null.
    std::unique_ptr<LineEditor> (*startLineEditor)(std::string prompt, std::string historyPath,
                                                   std::function<CompletionWords()> words, std::ostream& warnings);
};

// extern "C" const LineEditingPart* quorvelHostLineEditingPart(): never null.
inline constexpr char kLineEditingPartEntry[] = "quorvelHostLineEditingPart";
using LineEditingPartEntry = const LineEditingPart* (*)();

// The module's file name, beside the program.
inline constexpr char kLineEditingPartFileName[] = "quorvel-host-line-editing.so";

}  // namespace host
