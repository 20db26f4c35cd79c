#include "headless_gl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host_error.h"

namespace host {
namespace {

std::string eglProblem(const char* what) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(eglGetError()));
    return std::string("software OpenGL without a display: ") + what + " (EGL error " + code + ")";
}

bool hasExtension(const char* extensions, const char* name) {
    if (extensions == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at != nullptr; at = std::strstr(at + length, name)) {
        const bool starts = at == extensions || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

// Mesa's software device, as an EGL display. It is initialised once and never terminated:
// terminating unloads Mesa's driver, which would be loaded again for the next picture, and the
// driver's state is all reclaimed at exit anyway.
EGLDisplay softwareDisplay() {
    static const EGLDisplay display = [] {
        if (!hasExtension(eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS), "EGL_EXT_platform_device")) {
            throw HostError(eglProblem("EGL cannot enumerate devices (is libegl-mesa0 installed?)"));
        }
        const auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
        const auto queryDeviceString =
            reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(eglGetProcAddress("eglQueryDeviceStringEXT"));
        const auto getPlatformDisplay =
            reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (queryDevices == nullptr || queryDeviceString == nullptr || getPlatformDisplay == nullptr) {
            throw HostError(eglProblem("EGL lacks the device functions"));
        }
        EGLint count = 0;
        if (queryDevices(0, nullptr, &count) != EGL_TRUE || count <= 0) {
            throw HostError(eglProblem("EGL found no device"));
        }
        std::vector<EGLDeviceEXT> devices(static_cast<std::size_t>(count));
        queryDevices(count, devices.data(), &count);
        for (EGLDeviceEXT device : devices) {
            // The software device draws the same pixels on every machine, GPU or not.
            if (!hasExtension(queryDeviceString(device, EGL_EXTENSIONS), "EGL_MESA_device_software")) {
                continue;
            }
            EGLDisplay candidate = getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, device, nullptr);
            if (candidate != EGL_NO_DISPLAY && eglInitialize(candidate, nullptr, nullptr) == EGL_TRUE) {
                return candidate;
            }
        }
        throw HostError(eglProblem("Mesa's software device is not available (is libgl1-mesa-dri installed?)"));
    }();
    return display;
}

}  // namespace

HeadlessGlContext::HeadlessGlContext(int width, int height) {
    EGLDisplay display = softwareDisplay();
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        throw HostError(eglProblem("desktop OpenGL is not offered"));
    }
    const EGLint configAttributes[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
        EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
        EGL_NONE,
    };
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (eglChooseConfig(display, configAttributes, &config, 1, &configs) != EGL_TRUE || configs == 0) {
        throw HostError(eglProblem("no 8-bit RGBA pbuffer configuration"));
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) {
        throw HostError(eglProblem("cannot create the off-screen surface"));
    }
    // Dear ImGui's OpenGL 3 renderer needs 3.0 or later.
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        const std::string problem = eglProblem("cannot create an OpenGL 3.3 context");
        eglDestroySurface(display, surface);
        throw HostError(problem);
    }
    if (eglMakeCurrent(display, surface, surface, context) != EGL_TRUE) {
        const std::string problem = eglProblem("cannot make the OpenGL context current");
        eglDestroyContext(display, context);
        eglDestroySurface(display, surface);
        throw HostError(problem);
    }
    display_ = display;
    surface_ = surface;
    context_ = context;
}

void HeadlessGlContext::makeCurrent() const {
    if (eglGetCurrentContext() == context_) {
        return;
    }
    if (eglMakeCurrent(display_, surface_, surface_, context_) != EGL_TRUE) {
        throw HostError(eglProblem("cannot make the OpenGL context current again"));
    }
}

HeadlessGlContext::~HeadlessGlContext() {
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
    eglDestroySurface(display_, surface_);
    // Frees this thread's EGL state; the display stays initialised for the next context.
    eglReleaseThread();
}


}  // namespace host
