// What the process needs set up before the command line is read: the
// arguments as UTF-8 (Windows hands them over in the system's code page),
// outputs written byte for byte, and writes over the file size limit
// failing with an error rather than ending the program.
#pragma once

namespace sormel {

// May replace argv with arguments that live as long as the program.
void prepareProcess(int& argc, char**& argv);

}  // namespace sormel
