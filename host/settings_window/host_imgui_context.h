// The host's own Dear ImGui context. The host links its own copy of Dear ImGui; the plug-in's copy
// is a separate one inside the module, with its own current-context pointer, and works on this
// context once the host hands it over (SettingsWindow).
//
// Threads: the thread that builds the frames. Ownership: this object owns the context; whatever
// was handed the context must stop using it before this object is destroyed.
#pragma once

struct ImGuiContext;
struct ImGuiIO;

namespace host {

class HostImGuiContext {
public:
    // Creates the context and makes it current for the host's Dear ImGui. It reads and writes no
    // files: no saved window layout, no log file.
    HostImGuiContext();
    // Destroys the context; afterwards the host's Dear ImGui has none current.
    ~HostImGuiContext();
    HostImGuiContext(const HostImGuiContext&) = delete;
    HostImGuiContext& operator=(const HostImGuiContext&) = delete;

    ImGuiContext* get() const { return context_; }
    ImGuiIO& io() const;

private:
    ImGuiContext* context_;
};

}  // namespace host
