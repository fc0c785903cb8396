# kadra.exe and its Win32 tests (included from this folder's CMakeLists.txt).
#
#   kadra_resources  kadra.rc: the dialog script kadra.dlg (type 200, id 5002), the images
#                    from res/, the icon group 102 and the menu MENUID
#   kadra_exports    GetReslibRange and GetImageInf, which vorlu.dll looks up in the program
#                    file: linked as objects into every program that runs the dialog
#   kadra            kadra.exe: WinMain, the Win32 adapters, vorlu.dll, pelmou.dll, travikw.dll
if(WIN32)
  set(kadra_app_dir ${CMAKE_CURRENT_LIST_DIR})
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
endif()
