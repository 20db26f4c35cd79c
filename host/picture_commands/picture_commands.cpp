#include "picture_command.h"
#include "picture_commands.h"

#include <utility>

namespace host {

void addPictureCommand(CommandInterpreter& interpreter, const std::string& name, const std::string& usage,
                       const std::string& description, WordCounts words, std::shared_ptr<RenderThreadPictures> pictures,
                       std::function<void(const ConsoleLine& line, SessionPictures& pictures)> draw) {
    // Any word count reaches the handler, so that a build that cannot draw says so first.
    interpreter.addCommand(
        name, usage, description, WordCounts::atLeast(1),
        [&interpreter, name, words = std::move(words), pictures = std::move(pictures),
         draw = std::move(draw)](const ConsoleLine& line) {
            SessionPictures::require();
            if (!words.allows(line.size()) || line[1] != "png") {
                throw interpreter.usageError(name);
            }
            draw(line, pictures->get());
        },
        HostThread::Render);
}

void addPictureCommands(CommandInterpreter& interpreter, HostSession& session) {
    const auto pictures = std::make_shared<RenderThreadPictures>(session);
    addPanelPngCommand(interpreter, session, pictures);
    addFieldPngCommand(interpreter, session, pictures);
    addPreviewPngCommand(interpreter, session, pictures);
}

}  // namespace host
