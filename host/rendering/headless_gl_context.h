// An OpenGL context without a display: Mesa's software renderer (llvmpipe) reached through EGL,
// drawing into an off-screen pbuffer of a fixed size. Needs no X or Wayland server and no GPU, so
// it works in CI and over SSH.
//
// Threads: the context is current on the thread that created it, which must do all drawing and
// destroy it. Only one may be current on a thread at a time: a context used again after another
// was made current must be made current first (makeCurrent).
#pragma once

namespace host {

class HeadlessGlContext {
public:
    // Creates a desktop OpenGL 3.3 context and a `width` x `height` pbuffer and makes them current.
    // Throws HostError if Mesa's software device or such a context is not available.
    HeadlessGlContext(int width, int height);
    ~HeadlessGlContext();
    HeadlessGlContext(const HeadlessGlContext&) = delete;
    HeadlessGlContext& operator=(const HeadlessGlContext&) = delete;

    // Makes this context current on the calling thread again, after another was.
    // Throws HostError if EGL refuses.
    void makeCurrent() const;


private:
    void* display_;  // EGLDisplay
    void* surface_;  // EGLSurface
    void* context_;  // EGLContext
};

}  // namespace host
