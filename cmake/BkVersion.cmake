# The project's one version (project(... VERSION) in the top-level CMakeLists.txt) made
# available to the code: bk_version.h in the build folder, on every target's include path,
# for C++ and for resource scripts, and bk_add_version_resource() for the VERSIONINFO of an
# .exe or .dll.
set(BK_PRODUCT_NAME "Bexa and Kadra")
set(BK_COPYRIGHT "Copyright (C) 2026 the Bexa and Kadra developers")
set(BK_VERSION_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/../packaging/bk_version.h.in ${BK_VERSION_DIR}/bk_version.h @ONLY)
include_directories(${BK_VERSION_DIR})

# bk_add_version_resource(TARGET "file description" [MANIFEST file])
# Adds a VERSIONINFO resource (and, for a program, its application manifest) to a Win32
# target. Does nothing in a native build or for a target that does not exist.
function(bk_add_version_resource target description)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "MANIFEST" "")
  if(NOT WIN32 OR NOT TARGET ${target})
    return()
  endif()
  get_target_property(type ${target} TYPE)
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  if(type STREQUAL "EXECUTABLE")
    set(BK_FILE_TYPE VFT_APP)
    set(BK_FILE_NAME ${name}.exe)
  else()
    set(BK_FILE_TYPE VFT_DLL)
    set(BK_FILE_NAME ${name}.dll)
  endif()
  set(BK_FILE_DESCRIPTION "${description}")
  set(BK_MANIFEST_LINE "")
  if(arg_MANIFEST)
    # 1 = the manifest the loader reads when the program starts, 24 = RT_MANIFEST
    set(BK_MANIFEST_LINE "1 24 \"${arg_MANIFEST}\"")
  endif()
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  if(arg_MANIFEST)
    set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${arg_MANIFEST})
  endif()
endfunction()

# Where the installed native programs look for system-wide files (kadra: KADRA.INI).
include(GNUInstallDirs)
configure_file(${CMAKE_CURRENT_LIST_DIR}/../packaging/bk_paths.h.in ${BK_VERSION_DIR}/bk_paths.h @ONLY)
