// libFuzzer target: arbitrary bytes as a module file, loaded into a fresh world.
#include <cstddef>
#include <cstdint>

#include "module_bytes.h"
#include "scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Under TMPDIR, made at the first input and removed when the fuzzer exits normally.
    static const quorvel_test::ScratchFolder folder;
    fuzzing::loadBytesAsModule(data, size, folder.path());
    return 0;
}
