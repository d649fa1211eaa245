// The floor the batch mode is measured against: opens, reads and closes
// every file of a folder that the batch mode would read, and does nothing
// with the bytes. Prints the number of bytes read.

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "engine/deck_file.h"
#include "engine/deck_listing.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: floor_read DIR\n";
        return 2;
    }
    const auto files = sormel::listDeckFiles(argv[1], *sormel::FileMask::parse("*.txt"));
    std::string buffer;
    unsigned long long total = 0;
    for (std::size_t file = 0; file < files.size(); ++file) {
        sormel::readWholeFile(files.folderOf(file), files.nameText(file), buffer);
        total += buffer.size();
    }
    std::cout << files.size() << " files, " << total << " bytes\n";
    return 0;
}
