# The Windows build: each POSIX file behind a system seam is replaced by its
# Windows counterpart, and the C runtime and the libraries are linked in, so
# that the program is one .exe.
set(sormel_windows_counterparts
  engine/system_file_posix.cpp engine/system_file_win.cpp
  engine/spill_file_posix.cpp engine/spill_file_win.cpp
  engine/system_converter_iconv.cpp engine/system_converter_win.cpp
  export/posix_cleanup.cpp export/cleanup_win.cpp
  export/posix_save.cpp export/save_win.cpp
  export/posix_io.cpp -
  export/posix_folders.cpp -
  app/terminal_posix.cpp app/terminal_win.cpp
  app/window_module_posix.cpp app/window_module_win.cpp
  app/process_setup_posix.cpp app/process_setup_win.cpp)

function(sormel_use_windows_sources target)
  get_target_property(sources ${target} SOURCES)
  set(counterparts ${sormel_windows_counterparts})
  list(LENGTH counterparts count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET counterparts ${i} posix)
    list(GET counterparts ${j} windows)
    list(FIND sources ${posix} at)
    if(at GREATER -1)
      list(REMOVE_AT sources ${at})
      if(NOT windows STREQUAL "-")
        list(APPEND sources ${windows})
      endif()
    endif()
  endforeach()
  set_property(TARGET ${target} PROPERTY SOURCES ${sources})
endfunction()

foreach(target sormel_engine sormel_export sormel_batch sormel-checker)
  sormel_use_windows_sources(${target})
endforeach()
target_sources(sormel_engine PRIVATE engine/wide_text_win.cpp engine/path_bytes_win.cpp)
# Windows 7's API at least.
target_compile_definitions(sormel_engine PUBLIC _WIN32_WINNT=0x0601 UNICODE _UNICODE)
target_link_libraries(sormel-checker PRIVATE -static)
set_target_properties(sormel-checker PROPERTIES OUTPUT_NAME sormel-checker SUFFIX .exe)
target_compile_options(sormel_engine PUBLIC "SHELL:-include ${PROJECT_SOURCE_DIR}/engine/errno_win.h")

