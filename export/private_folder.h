// A folder only this process's user can enter, made under the system's
// temporary folder and removed with everything in it when the object goes
// away, or when SIGINT, SIGTERM or SIGHUP ends the program. For files a
// library can only write by name.
#pragma once

#include <filesystem>
#include <memory>

namespace sormel {

class PrivateFolder {
public:
    // Throws std::runtime_error when the folder cannot be made.
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    struct Registration;
    std::filesystem::path path_;
    std::unique_ptr<Registration> registration_;
};

}  // namespace sormel
