#include "panel_png_command.h"

#include <memory>

#include "panel_pictures.h"
#include "render_error.h"

namespace host {

void addPanelPngCommand(CommandInterpreter& interpreter, HostSession& session) {
    static const char* const usage = "panel png FILE";
    // One set of pictures per interpreter, so a script that takes many pays the set-up once.
    auto pictures = std::make_shared<std::unique_ptr<PanelPictures>>();
    interpreter.addCommand("panel", usage, [&session, pictures](const ConsoleLine& line) {
        if (line.size() < 3 || line[1] != "png") {
            throw CommandError(std::string("usage: ") + usage);
        }
        try {
            LoadedPlugin& plugin = session.plugin();
            if (!*pictures) {
                *pictures = makePanelPictures();
            }
            // The file name runs to the end of the line, spaces included.
            (*pictures)->write(plugin, line.restFrom(2));
        } catch (const RenderError& error) {
            throw CommandError(error.what());
        }
    });
}

int runPanelPng(HostSession& session, const std::string& file, std::ostream& errors) {
    try {
        session.load();
        makePanelPictures()->write(session.plugin(), file);
        session.unload();
    } catch (const std::runtime_error& error) {  // CommandError, RenderError
        errors << "quorvel-host: " << error.what() << '\n';
        return 1;
    }
    return 0;
}

}  // namespace host
