# The window's additions to kadra.exe and its Win32 tests (included at the end of this
# folder's CMakeLists.txt, which defines kadra, kadra_app_win32, kadra_resources and
# kadra_app_win32_test).
#
#   kadra_exports  GetReslibRange and GetImageInf, which vorlu.dll looks up in the program file:
#                  linked as objects into every program that runs the dialog (in a library
#                  nothing would pull them in)
if(NOT WIN32 OR NOT TARGET kadra_app_win32)
  return()
endif()
set(kadra_app_dir ${CMAKE_CURRENT_LIST_DIR})

file(GLOB kadra_res_files CONFIGURE_DEPENDS ${kadra_app_dir}/res/*)
set_source_files_properties(${kadra_app_dir}/kadra.rc PROPERTIES
  OBJECT_DEPENDS "${kadra_app_dir}/kadra.dlg;${kadra_app_dir}/kadra_resource_win32.h;${kadra_res_files}")

add_library(kadra_exports OBJECT ${kadra_app_dir}/image_exports_win32.cpp)
target_include_directories(kadra_exports PRIVATE ${kadra_app_dir})

target_link_libraries(kadra_app_win32 PUBLIC vorlu pelmou shell32)

if(TARGET kadra)
  target_sources(kadra PRIVATE $<TARGET_OBJECTS:kadra_exports>)
  # The sample settings and product profiles beside the program.
  add_custom_command(TARGET kadra POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different
                             ${kadra_app_dir}/../KADRA.INI $<TARGET_FILE_DIR:kadra>/KADRA.INI)
  if(BK_TESTS)
    add_test(NAME kadra_exe_exports_test
             COMMAND bash ${kadra_app_dir}/tests/check_kadra_exe.sh ${CMAKE_OBJDUMP}
                     $<TARGET_FILE:kadra>)
  endif()
endif()

if(TARGET kadra_app_win32_test)
  # The real dialog in-process: initialisation, controls and saving; the runs on a test drive
  # through run_with_test_drive.sh, which maps a drive letter of the Wine prefix to a
  # temporary folder (without it those runs are skipped).
  target_sources(kadra_app_win32_test PRIVATE ${kadra_app_dir}/tests/kadra_dialog_harness_win32.cpp
                 $<TARGET_OBJECTS:kadra_exports>)
  target_include_directories(kadra_app_win32_test PRIVATE ${kadra_app_dir}/tests)
  add_test(NAME kadra_app_drive_win32_test
           COMMAND bash ${kadra_app_dir}/tests/run_with_test_drive.sh
                   $<TARGET_FILE:kadra_app_win32_test> --gtest_filter=TestDriveRun.*)
  set_tests_properties(kadra_app_drive_win32_test PROPERTIES TIMEOUT 600
                       ENVIRONMENT "TRAVIK_MACHINE=embedded")
endif()
