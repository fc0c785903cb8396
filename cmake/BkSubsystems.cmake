# Helpers for the subsystems' CMakeLists.txt files.
#
#   bk_platform_sources(var)
#     drops from the list in `var` the files of the other platform: files ending in _posix.cpp
#     or _posix_test.cpp build everywhere except Windows, files ending in _win32.cpp or
#     _win32_test.cpp only for Windows.
#
#   bk_require_subsystems(folder...)
#     stops the configuration with a clear message when a subsystem this one builds on is not
#     in BK_SUBSYSTEMS (the folders are added in the order of that list).
function(bk_platform_sources var)
  set(files ${${var}})
  if(WIN32)
    list(FILTER files EXCLUDE REGEX "_posix(_test)?\\.cpp$")
  else()
    list(FILTER files EXCLUDE REGEX "_win32(_test)?\\.cpp$")
  endif()
  set(${var} ${files} PARENT_SCOPE)
endfunction()

function(bk_require_subsystems)
  file(RELATIVE_PATH self ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(dir IN LISTS ARGN)
    list(FIND BK_SUBSYSTEM_LIST ${dir} at)
    list(FIND BK_SUBSYSTEM_LIST ${self} here)
    if(at EQUAL -1 OR at GREATER here)
      message(FATAL_ERROR "Subsystem ${self} needs ${dir} before it in BK_SUBSYSTEMS "
                          "(now \"${BK_SUBSYSTEM_LIST}\"); leave BK_SUBSYSTEMS empty to build all")
    endif()
  endforeach()
endfunction()
