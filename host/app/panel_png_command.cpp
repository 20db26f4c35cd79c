#include "panel_png_command.h"

#include "host_error.h"
#include "rendering/settings_window_png.h"

namespace host {

void addPanelPngCommand(CommandInterpreter& interpreter, HostSession& session) {
    // Any word count reaches the handler: a build that cannot draw says so before it judges the
    // line, and the second word is checked here anyway.
    interpreter.addCommand("panel", "panel png FILE", WordCounts::atLeast(1),
                           [&interpreter, &session](const ConsoleLine& line) {
                               requirePictures();
                               if (line.size() < 3 || line[1] != "png") {
                                   throw interpreter.usageError("panel");
                               }
                               // The file name runs to the end of the line, spaces included.
                               writeSettingsWindowPng(session.plugin(), line.restFrom(2));
                           });
}

int runPanelPng(HostSession& session, const std::string& file, std::ostream& errors) {
    return runReportingErrors(errors, [&session, &file] {
        requirePictures();
        session.load();
        writeSettingsWindowPng(session.plugin(), file);
        session.unload();
    });
}

}  // namespace host
