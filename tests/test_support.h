// Helpers shared by the tests: scratch folders and files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace sormel::testing {

// A fresh folder under the system's temporary folder, removed again when
// the object goes away.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes `bytes` to `name` inside the folder and returns its path.
    std::filesystem::path write(const std::string& name, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);

}  // namespace sormel::testing
