#include "panel_png_command.h"

#include "host_error.h"
#include "rendering/session_pictures.h"

namespace host {

void addPanelPngCommand(CommandInterpreter& interpreter, HostSession& session,
                        std::shared_ptr<RenderThreadPictures> pictures) {
    // Any word count reaches the handler: a build that cannot draw says so before it judges the
    // line, and the second word is checked here anyway.
    interpreter.addCommand("panel", "panel png FILE",
                           "draw the host's settings window, with the plug-in's panel as it is now, to a PNG file",
                           WordCounts::atLeast(1),
                           [&interpreter, &session, pictures = std::move(pictures)](const ConsoleLine& line) {
                               SessionPictures::require();
                               if (line.size() < 3 || line[1] != "png") {
                                   throw interpreter.usageError("panel");
                               }
                               LoadedPlugin& plugin = session.plugin();
                               // The file name runs to the end of the line, spaces included.
                               pictures->get().writeSettingsWindow(plugin, line.restFrom(2));
                           },
                           HostThread::Render);
}

int runPanelPng(HostSession& session, const std::string& file, std::ostream& errors) {
    return runReportingErrors(errors, [&session, &file] {
        SessionPictures::require();
        session.load();
        session.threads().run(HostThread::Render,
                              [&session, &file] { SessionPictures().writeSettingsWindow(session.plugin(), file); });
        session.unload();
    });
}

}  // namespace host
