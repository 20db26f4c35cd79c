#include "host_imgui_context.h"

#include <imgui.h>
#include <imgui_internal.h>

namespace host {

HostImGuiContext::HostImGuiContext() : context_(ImGui::CreateContext()) {
    ImGui::SetCurrentContext(context_);
    // A window layout saved by one run would move the windows of the next, and of every test.
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
}

HostImGuiContext::~HostImGuiContext() {
    ImGui::SetCurrentContext(context_);
    ImGui::DestroyContext(context_);
}

ImGuiIO& HostImGuiContext::io() const {
    return context_->IO;
}

}  // namespace host
