#include "module_bytes.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

#include "loader/checked_module.h"
#include "host_error.h"

namespace fuzzing {
namespace {

void writeFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    file.close();
    if (!file) {
        throw std::runtime_error("cannot write the module file " + path.string());
    }
}

}  // namespace

std::optional<std::string> loadBytesAsModule(const std::uint8_t* data, std::size_t size,
                                             const std::filesystem::path& folder) {
    static unsigned long long filesWritten = 0;
    const std::filesystem::path path = folder / ("module-" + std::to_string(++filesWritten) + ".so");
    writeFile(path, data, size);

    // Only what the host does before the module's code runs in its own process: the file check and
    // the trial opening in a child process. Past that point the bytes are code the host has agreed
    // to run: a damaged module that the trial could not catch (its garbage code may take another
    // path in the host's own process) can still bring the host down, which is the module's doing,
    // not a fault of the host's for the fuzzer to find.
    std::optional<std::string> refusal;
    try {
        host::CheckedModule::check(path.string(), 0.0);
    } catch (const host::HostError& error) {
        refusal = error.what();
    }
    std::error_code ignored;  // the folder goes as a whole at the end
    std::filesystem::remove(path, ignored);
    return refusal;
}

}  // namespace fuzzing
