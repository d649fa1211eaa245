# The engine, analysis and export tests on Windows. Left out, as files:
# - deck_file_test.cpp: FIFOs, /proc files, permission bits and descriptors,
#   which Windows does not have;
# - save_test.cpp, save_sync_test.cpp, system_faults.cpp: the POSIX save's
#   links, modes, owners and signals, checked through stand-ins for its
#   system calls. windows_system_test.cpp checks the Windows save instead.
get_target_property(sources engine_tests SOURCES)
list(REMOVE_ITEM sources deck_file_test.cpp save_test.cpp save_sync_test.cpp system_faults.cpp)
list(APPEND sources windows_system_test.cpp)
set_property(TARGET engine_tests PROPERTY SOURCES ${sources})
target_link_libraries(engine_tests PRIVATE -static)
add_test(NAME engine_tests COMMAND engine_tests)
# POSIX headers the shared tests include, as far as Windows has them.
target_include_directories(sormel_test_support BEFORE PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/windows)
target_include_directories(engine_tests BEFORE PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/windows)
# Its stand-ins come first in every test file, ahead of the headers every
# test file includes, all compiled once.
target_precompile_headers(engine_tests PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}/windows/posix_environment.h" <gtest/gtest.h>
                          <nlohmann/json.hpp> <filesystem> <functional> <map> <optional> <string> <vector>)
