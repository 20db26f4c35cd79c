#include "module_bytes.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

#include "loader/loaded_plugin.h"
#include "pluginsdk/world.h"

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

    std::optional<std::string> refusal;
    try {
        const std::shared_ptr<pluginsdk::World> world = pluginsdk::World::create();
        host::LoadedPlugin::load(path.string(), world).reset();  // loads, then unloads
    } catch (const host::LoadError& error) {
        refusal = error.what();
    }
    std::error_code ignored;  // the folder goes as a whole at the end
    std::filesystem::remove(path, ignored);
    return refusal;
}

}  // namespace fuzzing
