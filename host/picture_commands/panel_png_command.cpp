#include "picture_command.h"
#include "picture_commands.h"

#include "host_error.h"
#include "rendering/session_pictures.h"

namespace host {

void addPanelPngCommand(CommandInterpreter& interpreter, HostSession& session,
                        std::shared_ptr<RenderThreadPictures> pictures) {
    addPictureCommand(interpreter, "panel", "panel png FILE",
                      "draw the host's settings window, with the plug-in's panel as it is now, to a PNG file",
                      WordCounts::atLeast(3), std::move(pictures),
                      [&session](const ConsoleLine& line, SessionPictures& drawing) {
                          LoadedPlugin& plugin = session.plugin();
                          // The file name runs to the end of the line, spaces included.
                          drawing.writeSettingsWindow(plugin, line.restFrom(2));
                      });
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
