// Pictures in a build without headless OpenGL (the Windows build).
#include "host_error.h"
#include "session_pictures.h"

namespace host {
namespace {
const char* const kNoPictures =
    "this build of quorvel-host draws no pictures: it has no headless OpenGL (use the Linux build)";
}

struct SessionPictures::Kept {};

void SessionPictures::require() {
    throw HostError(kNoPictures);
}

SessionPictures::SessionPictures() = default;

SessionPictures::~SessionPictures() = default;

void SessionPictures::writeSettingsWindow(LoadedPlugin& /*plugin*/, const std::string& /*path*/) {
    throw HostError(kNoPictures);
}

void SessionPictures::writeWindow(int /*width*/, int /*height*/, const std::function<void()>& /*drawContent*/,
                                  const std::string& /*path*/) {
    throw HostError(kNoPictures);
}

}  // namespace host
