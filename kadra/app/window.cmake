# kadra.exe and its Win32 tests (included from this folder's CMakeLists.txt).
#
#   kadra_resources  kadra.rc: the dialog script kadra.dlg (type 200, id 5002), the images
#                    from res/, the icon group 102 and the menu MENUID
#   kadra_exports    GetReslibRange and GetImageInf, which vorlu.dll looks up in the program
#                    file: linked as objects into every program that runs the dialog
#   kadra            kadra.exe: WinMain, the Win32 adapters, vorlu.dll, pelmou.dll, travikw.dll
if(WIN32)
  set(kadra_app_dir ${CMAKE_CURRENT_LIST_DIR})
  if(NOT TARGET kadra_app_win32)
    # The window's adapters of the engine's seams, MainDialogProc and the Win32 view.
    file(GLOB kadra_window_sources CONFIGURE_DEPENDS ${kadra_app_dir}/*_win32.cpp)
    list(FILTER kadra_window_sources EXCLUDE REGEX
         "(kadra_main|image_exports|ini_file|program_path)_win32\\.cpp$")
    add_library(kadra_app_win32 STATIC ${kadra_window_sources})
    target_include_directories(kadra_app_win32 PUBLIC ${kadra_app_dir})
    target_link_libraries(kadra_app_win32 PUBLIC kadra_core vorlu pelmou comctl32 gdi32 user32
                          shell32)
  endif()
  file(GLOB kadra_res_files CONFIGURE_DEPENDS ${kadra_app_dir}/res/*)
  add_library(kadra_resources OBJECT ${kadra_app_dir}/kadra.rc)
  target_include_directories(kadra_resources PRIVATE ${kadra_app_dir})
  set_source_files_properties(${kadra_app_dir}/kadra.rc PROPERTIES
    OBJECT_DEPENDS "${kadra_app_dir}/kadra.dlg;${kadra_app_dir}/kadra_resource_win32.h;${kadra_res_files}")

  add_library(kadra_exports OBJECT ${kadra_app_dir}/image_exports_win32.cpp)
  target_include_directories(kadra_exports PRIVATE ${kadra_app_dir})

  add_executable(kadra WIN32 ${kadra_app_dir}/kadra_main_win32.cpp
                 $<TARGET_OBJECTS:kadra_resources> $<TARGET_OBJECTS:kadra_exports>)
  target_link_libraries(kadra PRIVATE kadra_app_win32 vorlu pelmou travikw)
  # The sample settings and product profiles beside the program.
  add_custom_command(TARGET kadra POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different
                             ${kadra_app_dir}/../KADRA.INI $<TARGET_FILE_DIR:kadra>/KADRA.INI)
endif()

if(WIN32 AND BK_TESTS)
  # The real dialog in-process: initialisation, controls and saving; the runs on a test drive
  # through run_with_test_drive.sh, which maps a drive letter of the Wine prefix to a temporary
  # folder (without it those runs are skipped).
  file(GLOB kadra_window_tests CONFIGURE_DEPENDS ${kadra_app_dir}/tests/*_win32_test.cpp)
  bk_add_test(NAME kadra_window_win32_test
              SOURCES ${kadra_window_tests} ${kadra_app_dir}/tests/kadra_dialog_harness_win32.cpp
                      $<TARGET_OBJECTS:kadra_resources> $<TARGET_OBJECTS:kadra_exports>
              LIBS kadra_app_win32 vorlu pelmou travikw)
  target_include_directories(kadra_window_win32_test PRIVATE ${kadra_app_dir} ${kadra_app_dir}/tests)
  add_test(NAME kadra_window_drive_win32_test
           COMMAND bash ${kadra_app_dir}/tests/run_with_test_drive.sh
                   $<TARGET_FILE:kadra_window_win32_test> --gtest_filter=TestDriveRun.*)
  set_tests_properties(kadra_window_drive_win32_test PROPERTIES TIMEOUT 600
                       ENVIRONMENT "TRAVIK_MACHINE=embedded")
  add_test(NAME kadra_exe_exports_test
           COMMAND bash ${kadra_app_dir}/tests/check_kadra_exe.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:kadra>)
endif()
