#include "panel_png_command.h"

#include "render_error.h"
#include "settings_window_renderer.h"

namespace host {

void addPanelPngCommand(CommandInterpreter& interpreter, HostSession& session) {
    static const char* const usage = "panel png FILE";
    // The picture is drawn by the render thread, the one that builds the settings window's frames.
    interpreter.addCommand("panel", usage, HostThread::Render, [&session](const ConsoleLine& line) {
        if (line.size() < 3 || line[1] != "png") {
            throw CommandError(std::string("usage: ") + usage);
        }
        try {
            // The file name runs to the end of the line, spaces included.
            writeSettingsWindowPng(session.plugin(), line.restFrom(2));
        } catch (const RenderError& error) {
            throw CommandError(error.what());
        }
    });
}

int runPanelPng(HostSession& session, const std::string& file, std::ostream& errors) {
    try {
        session.load();
        session.threads().run(HostThread::Render, [&session, &file] { writeSettingsWindowPng(session.plugin(), file); });
        session.unload();
    } catch (const std::runtime_error& error) {  // CommandError, RenderError
        errors << "quorvel-host: " << error.what() << '\n';
        return 1;
    }
    return 0;
}

}  // namespace host
