#include "panel_png_command.h"

#include <memory>

#include "host_error.h"
#include "rendering/session_pictures.h"

namespace host {

namespace {

// The pictures belong to the render thread, the one that builds the settings window's frames: they
// are made, drawn and destroyed there (their OpenGL context is current on it).
struct RenderThreadPictures {
    explicit RenderThreadPictures(HostSession& owner) : session(owner) {}
    ~RenderThreadPictures() {
        try {
            session.threads().run(HostThread::Render, [this] { pictures.reset(); });
        } catch (...) {
            // Nothing to report at this point; the render thread ends with the session.
        }
    }
    RenderThreadPictures(const RenderThreadPictures&) = delete;
    RenderThreadPictures& operator=(const RenderThreadPictures&) = delete;

    HostSession& session;
    std::unique_ptr<SessionPictures> pictures;
};

}  // namespace

void addPanelPngCommand(CommandInterpreter& interpreter, HostSession& session) {
    // One set of pictures per interpreter, made at the first picture.
    auto pictures = std::make_shared<RenderThreadPictures>(session);
    // Any word count reaches the handler: a build that cannot draw says so before it judges the
    // line, and the second word is checked here anyway.
    interpreter.addCommand("panel", "panel png FILE",
                           "draw the host's settings window, with the plug-in's panel as it is now, to a PNG file",
                           WordCounts::atLeast(1),
                           [&interpreter, &session, pictures](const ConsoleLine& line) {
                               SessionPictures::require();
                               if (line.size() < 3 || line[1] != "png") {
                                   throw interpreter.usageError("panel");
                               }
                               LoadedPlugin& plugin = session.plugin();
                               if (!pictures->pictures) {
                                   pictures->pictures = std::make_unique<SessionPictures>();
                               }
                               // The file name runs to the end of the line, spaces included.
                               pictures->pictures->writeSettingsWindow(plugin, line.restFrom(2));
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
