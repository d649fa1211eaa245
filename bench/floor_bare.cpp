// The bare floor: what any program must do to read a folder of decks, and
// nothing more. Reads the folder's names, sorts them, then opens each file,
// reads it in 64 KiB blocks and closes it, on one thread. Prints the number
// of files and bytes read. Unlike floor_read, it goes through none of the
// program's own listing or reading (no mask, no fstat, no buffer).

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: floor_bare DIR\n");
        return 2;
    }
    const std::string folder = argv[1];
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_type == DT_REG) names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    static char block[64 * 1024];
    unsigned long long total = 0;
    for (const std::string& name : names) {
        const int fd = ::open((folder + '/' + name).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        for (ssize_t got; (got = ::read(fd, block, sizeof block)) > 0;) total += static_cast<unsigned long long>(got);
        ::close(fd);
    }
    std::printf("%zu files, %llu bytes\n", names.size(), total);
    return 0;
}
