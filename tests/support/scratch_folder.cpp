#include "scratch_folder.h"

#include <random>
#include <system_error>

namespace quorvel_test {

ScratchFolder::ScratchFolder() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device random;
    // create_directory reports whether it made the folder, so a name already taken is passed over.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = base / ("quorvel-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = std::move(candidate);
            return;
        }
    }
    throw std::filesystem::filesystem_error("cannot make a scratch folder", base,
                                            std::make_error_code(std::errc::file_exists));
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;  // a destructor cannot report; what is left lies in the temporary folder
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace quorvel_test
