# Test support shared by every subsystem.
#
#   bk_add_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l1] [WORKING_DIRECTORY dir])
#
# builds a GoogleTest program and registers it with CTest. Under the windows preset the
# program is a Win32 .exe that CTest runs through Wine (CMAKE_CROSSCOMPILING_EMULATOR).
# A program with a source named *screenshots_win32_test.cpp gets the label "screenshots":
# tools/screenshots.sh runs those programs to make the pictures of the docs.
if(BK_TESTS)
  enable_testing()
  if(WIN32)
    if(NOT TARGET gtest_main)
      set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
      add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    endif()
    set(BK_GTEST_LIB gtest)
    set(BK_GTEST_LIBS gtest gtest_main)
  else()
    find_package(GTest REQUIRED)
    set(BK_GTEST_LIB GTest::gtest)
    set(BK_GTEST_LIBS GTest::gtest GTest::gtest_main)
  endif()
endif()

function(bk_add_test)
  if(NOT BK_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "NAME;WORKING_DIRECTORY" "SOURCES;LIBS;LABELS" ${ARGN})
  if(T_SOURCES MATCHES "screenshots_win32_test\\.cpp")
    list(APPEND T_LABELS screenshots)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ${BK_GTEST_LIBS})
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT T_WORKING_DIRECTORY)
    set(T_WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${T_WORKING_DIRECTORY})
  # Tests reach the embedded simulated machine unless they open another one themselves, so
  # that no test writes to this machine's real PCI configuration space by default.
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" TIMEOUT 600
                       ENVIRONMENT "TRAVIK_MACHINE=embedded")
endfunction()

# Fuzzing (BK_FUZZ, clang): every object of the build carries libFuzzer's coverage counters,
# so that a fuzz target sees the edges of every library it links; only the fuzz programs link
# libFuzzer itself.
if(BK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "BK_FUZZ needs clang: cmake --preset fuzz")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Fuzz targets: bk_add_fuzzer(NAME name SOURCES ... LIBS ... [SEEDS file-or-folder ...]),
# built only with BK_FUZZ into build/fuzz/fuzz. The seed files are listed one a line in
# fuzz/<name>.seeds, where tools/fuzz.sh finds them.
function(bk_add_fuzzer)
  if(NOT BK_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS;SEEDS" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  set(seeds "")
  foreach(seed IN LISTS F_SEEDS)
    get_filename_component(seed ${seed} ABSOLUTE)
    if(IS_DIRECTORY ${seed})
      file(GLOB folder_seeds ${seed}/*)
      list(APPEND seeds ${folder_seeds})
    elseif(EXISTS ${seed})
      list(APPEND seeds ${seed})
    else()
      message(FATAL_ERROR "${F_NAME}: no seed ${seed}")
    endif()
  endforeach()
  list(JOIN seeds "\n" seed_lines)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz/${F_NAME}.seeds "${seed_lines}\n")
endfunction()
