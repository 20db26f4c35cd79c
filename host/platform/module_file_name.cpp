// The module's file name, which the build derives from the module's target and passes in.
#include "executable_location.h"

namespace host {

const char* const kModuleFileName = QUORVEL_MODULE_FILE_NAME;

}  // namespace host
