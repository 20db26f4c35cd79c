// The program's side of the line editing part: the console's line editor, loaded on first use.
#include <string>
#include <utility>

#include "console/line_editor.h"
#include "line_editing_part.h"
#include "platform/dynamic_library.h"
#include "platform/executable_location.h"

namespace host {
namespace {

// Loads the part the first time; null with the reason in `why` if it cannot (tried again next time).
const LineEditingPart* lineEditingPart(std::string& why) {
    struct Loaded {
        DynamicLibrary library;
        const LineEditingPart* part;
    };
    // Never closed, so never destroyed: see line_editing_part.h. Kept reachable here, so leak
    // checkers see it as in use.
    static const Loaded* loaded = nullptr;
    if (loaded != nullptr) {
        return loaded->part;
    }
    const std::string path = executableDirectory() + kPathSeparator + kLineEditingPartFileName;
    std::string error;
    DynamicLibrary opened = DynamicLibrary::open(path, error);
    if (!opened.isOpen()) {
        why = "cannot load quorvel-host's line editing part '" + path + "': " + error;
        return nullptr;
    }
    const auto entry = reinterpret_cast<LineEditingPartEntry>(opened.symbol(kLineEditingPartEntry));
    if (entry == nullptr) {
        why = "'" + path + "' is not quorvel-host's line editing part: it has no " + kLineEditingPartEntry;
        return nullptr;
    }
    const LineEditingPart* candidate = entry();
    if (candidate == nullptr || candidate->version != kLineEditingPartVersion) {
        why = "'" + path + "' is the line editing part of another build of quorvel-host";
        return nullptr;
    }
    loaded = new Loaded{std::move(opened), candidate};
    return candidate;
}

}  // namespace

std::unique_ptr<LineEditor> startLineEditor(std::string prompt, std::string historyPath,
                                            std::function<CompletionWords()> words, std::ostream& warnings,
                                            std::string& unavailableBecause) {
    unavailableBecause.clear();
    const LineEditingPart* part = lineEditingPart(unavailableBecause);
    if (part == nullptr) {
        return nullptr;
    }
    return part->startLineEditor(std::move(prompt), std::move(historyPath), std::move(words), warnings);
}

}  // namespace host
