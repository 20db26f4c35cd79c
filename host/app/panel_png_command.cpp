#include "panel_png_command.h"

#include <memory>

#include "host_error.h"
#include "rendering/settings_window_png.h"

namespace host {

void addPanelPngCommand(CommandInterpreter& interpreter, HostSession& session) {
    // One set of pictures per interpreter, made at the first picture: a script that takes many pays
    // the set-up once.
    auto pictures = std::make_shared<std::unique_ptr<PanelPictures>>();
    // Any word count reaches the handler: a build that cannot draw says so before it judges the
    // line, and the second word is checked here anyway.
    interpreter.addCommand("panel", "panel png FILE", WordCounts::atLeast(1),
                           [&interpreter, &session, pictures](const ConsoleLine& line) {
                               requirePictures();
                               if (line.size() < 3 || line[1] != "png") {
                                   throw interpreter.usageError("panel");
                               }
                               LoadedPlugin& plugin = session.plugin();
                               if (!*pictures) {
                                   *pictures = makePanelPictures();
                               }
                               // The file name runs to the end of the line, spaces included.
                               (*pictures)->write(plugin, line.restFrom(2));
                           });
}

int runPanelPng(HostSession& session, const std::string& file, std::ostream& errors) {
    return runReportingErrors(errors, [&session, &file] {
        requirePictures();
        session.load();
        makePanelPictures()->write(session.plugin(), file);
        session.unload();
    });
}

}  // namespace host
