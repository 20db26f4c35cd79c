#include "platform/files.h"
#include "module_file_check.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "module_image.h"
#ifdef _WIN32
#include "pe_image_check.h"
#else
#include "elf_image_check.h"
#endif

namespace host {
namespace {

std::string kindOf(std::filesystem::file_type type) {
    switch (type) {
        case std::filesystem::file_type::directory: return "a directory";
        case std::filesystem::file_type::fifo: return "a FIFO";
        case std::filesystem::file_type::socket: return "a socket";
        case std::filesystem::file_type::block: return "a block device";
        case std::filesystem::file_type::character: return "a character device";
        default: return "not a file of any known kind";
    }
}

}  // namespace

std::optional<std::string> moduleFileProblem(const std::string& given) {
    const std::string path = fromStartingDirectory(given);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return std::string("there is no such file");
    }
    if (error) {
        return "its kind cannot be told: " + error.message();
    }
    if (status.type() != std::filesystem::file_type::regular) {
        return "it is not a regular file but " + kindOf(status.type());
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        return "its size cannot be read: " + error.message();
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::string("it cannot be opened for reading");
    }
    ModuleImage image;
    image.size = size;
    image.read = [&file, size](std::uint64_t offset, std::size_t count) {
        std::vector<unsigned char> bytes;
        if (offset >= size) {
            return bytes;
        }
        if (count > size - offset) {
            count = static_cast<std::size_t>(size - offset);
        }
        file.clear();
        file.seekg(static_cast<std::streamoff>(offset));
        bytes.resize(count);
        file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
        bytes.resize(static_cast<std::size_t>(file.gcount()));
        return bytes;
    };
#ifdef _WIN32
    return peImageProblem(image);
#else
    return elfImageProblem(image);
#endif
}

}  // namespace host
