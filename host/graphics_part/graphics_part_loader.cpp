// The program's side of the graphics part: pictures and the live window, loaded on first use.
#include <string>
#include <utility>

#include "graphics_part.h"
#include "gui/gui_app.h"
#include "platform/dynamic_library.h"
#include "platform/executable_location.h"
#include "host_error.h"

namespace host {
namespace {

// Loads the part the first time; throws HostError saying why it cannot (a failed load is tried
// again next time).
const GraphicsPart& graphicsPart() {
    struct Loaded {
        DynamicLibrary library;
        const GraphicsPart* part;
    };
    // Never closed, so never destroyed: see graphics_part.h. Kept reachable here, so leak checkers
    // see it as in use.
    static const Loaded* loaded = nullptr;
    if (loaded != nullptr) {
        return *loaded->part;
    }
    const std::string path = executableDirectory() + kPathSeparator + kGraphicsPartFileName;
    std::string error;
    DynamicLibrary opened = DynamicLibrary::open(path, error);
    if (!opened.isOpen()) {
        throw HostError("cannot load quorvel-host's graphics part '" + path + "': " + error);
    }
    const auto entry = reinterpret_cast<GraphicsPartEntry>(opened.symbol(kGraphicsPartEntry));
    if (entry == nullptr) {
        throw HostError("'" + path + "' is not quorvel-host's graphics part: it has no " + kGraphicsPartEntry);
    }
    const GraphicsPart* candidate = entry();
    if (candidate == nullptr || candidate->version != kGraphicsPartVersion) {
        throw HostError("'" + path + "' is the graphics part of another build of quorvel-host");
    }
    loaded = new Loaded{std::move(opened), candidate};
    return *candidate;
}

}  // namespace

void requirePictures() {
    graphicsPart();
}

std::unique_ptr<PanelPictures> makePanelPictures() {
    return graphicsPart().makePanelPictures();
}

int runGui(HostSession& session, const GuiOptions& options, std::ostream& errors) {
    const GraphicsPart* part = nullptr;
    const int status = runReportingErrors(errors, [&part] { part = &graphicsPart(); });
    return part != nullptr ? part->runGui(session, options, errors) : status;
}

}  // namespace host
