# Release artefacts: version resources and manifests of the Win32 files, the install layout
# of both builds and CPack's Debian package of the native programs. tools/package.sh drives
# it (MSI and zip from the windows build, the .deb from a native release build).
#
# Kadra's window program and its two libraries join the moment their targets exist.
set(BK_KADRA_EXE_TARGET kadra)
set(BK_VORLU_TARGET vorlu)
set(BK_PELMOU_TARGET pelmou)

set(BK_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
# The system Python, which has the Debian modules (python3-markdown) that tools/setup.sh installs.
find_program(BK_PYTHON3 NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)

if(WIN32)
  bk_add_version_resource(bexa "Bexa PCI bus browser" MANIFEST ${BK_PACKAGING_DIR}/bexa.exe.manifest)
  bk_add_version_resource(${BK_KADRA_EXE_TARGET} "Kadra disk throughput benchmark"
                          MANIFEST ${BK_PACKAGING_DIR}/kadra.exe.manifest)
  bk_add_version_resource(travik "Hardware access service (narrow)")
  bk_add_version_resource(travikw "Hardware access service (wide)")
  bk_add_version_resource(tvkdump "PCI configuration dump")
  bk_add_version_resource(${BK_VORLU_TARGET} "Kadra dialog library")
  bk_add_version_resource(${BK_PELMOU_TARGET} "Kadra tools library")

  # Everything goes into one program folder: the programs, their DLLs, the ID file Bexa
  # reads from the current folder, the sample KADRA.INI and the user documentation.
  set(shipped)
  foreach(t bexa ${BK_KADRA_EXE_TARGET} travik travikw ${BK_VORLU_TARGET} ${BK_PELMOU_TARGET})
    if(TARGET ${t})
      list(APPEND shipped ${t})
    endif()
  endforeach()
  install(TARGETS ${shipped} RUNTIME DESTINATION . LIBRARY DESTINATION . ARCHIVE EXCLUDE_FROM_ALL)

  set(files_dir ${CMAKE_BINARY_DIR}/package-files)
  set(pci_ids /usr/share/misc/pci.ids CACHE FILEPATH "The public PCI ID list converted into pcidevs.txt")
  add_custom_command(
    OUTPUT ${files_dir}/pcidevs.txt
    COMMAND ${CMAKE_COMMAND} -E make_directory ${files_dir}
    COMMAND ${BK_PYTHON3} ${CMAKE_SOURCE_DIR}/tools/pciids-to-pcidevs.py ${pci_ids}
            -o ${files_dir}/pcidevs.txt
    DEPENDS ${pci_ids} ${CMAKE_SOURCE_DIR}/tools/pciids-to-pcidevs.py
    COMMENT "Converting ${pci_ids} into pcidevs.txt")

  # The user pages as HTML with their screenshots (python3-markdown).
  set(user_pages bexa bexa-bar-space kadra install)
  set(html_pages)
  foreach(page ${user_pages})
    if(EXISTS ${CMAKE_SOURCE_DIR}/docs/${page}.md)
      set(html ${files_dir}/docs/${page}.html)
      add_custom_command(
        OUTPUT ${html}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${files_dir}/docs
        COMMAND ${BK_PYTHON3} ${BK_PACKAGING_DIR}/md-to-html.py
                ${CMAKE_SOURCE_DIR}/docs/${page}.md ${html}
        DEPENDS ${CMAKE_SOURCE_DIR}/docs/${page}.md ${BK_PACKAGING_DIR}/md-to-html.py
        COMMENT "User page ${page}.html")
      list(APPEND html_pages ${html})
    endif()
  endforeach()
  add_custom_target(bk_package_files ALL DEPENDS ${files_dir}/pcidevs.txt ${html_pages})
  # Everything the program folder holds: what tools/package.sh builds.
  add_custom_target(bk_release_files)
  add_dependencies(bk_release_files bk_package_files ${shipped})

  set(BK_README_KADRA_FILES "")
  if(TARGET ${BK_KADRA_EXE_TARGET})
    string(APPEND BK_README_KADRA_FILES "  kadra.exe     disk throughput benchmark for streaming media\n")
  endif()
  if(TARGET ${BK_VORLU_TARGET})
    string(APPEND BK_README_KADRA_FILES "  vorlu.dll     Kadra's dialog library\n")
  endif()
  if(TARGET ${BK_PELMOU_TARGET})
    string(APPEND BK_README_KADRA_FILES "  pelmou.dll    Kadra's tools library\n")
  endif()
  configure_file(${BK_PACKAGING_DIR}/README.txt ${files_dir}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${files_dir}/pcidevs.txt ${files_dir}/README.txt ${CMAKE_SOURCE_DIR}/kadra/KADRA.INI
          DESTINATION .)
  install(FILES ${html_pages} DESTINATION docs)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/screenshots DESTINATION docs FILES_MATCHING PATTERN "*.png")

  # The installer's main source: Kadra's shortcut only when kadra.exe is built.
  set(BK_MSI_KADRA_SHORTCUT "")
  if(TARGET ${BK_KADRA_EXE_TARGET})
    set(BK_MSI_KADRA_SHORTCUT
        "            <Shortcut Id=\"KadraShortcut\" Name=\"Kadra\" Description=\"Disk throughput benchmark\"\n                      Target=\"[INSTALLDIR]kadra.exe\" WorkingDirectory=\"INSTALLDIR\"/>")
  endif()
  configure_file(${BK_PACKAGING_DIR}/bexa-kadra.wxs.in ${CMAKE_BINARY_DIR}/generated/bexa-kadra.wxs @ONLY)
  return()
endif()

# Native: the three programs, their manual pages and the system-wide sample KADRA.INI.
set(native_programs)
foreach(t bexa kadra tvkdump)
  if(TARGET ${t})
    list(APPEND native_programs ${t})
    install(FILES ${BK_PACKAGING_DIR}/man/${t}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
install(TARGETS ${native_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(BK_TESTS)
  # Each program names itself, the product and the project's version.
  foreach(t ${native_programs})
    add_test(NAME ${t}_version COMMAND ${t} --version)
    set_tests_properties(${t}_version PROPERTIES
      PASS_REGULAR_EXPRESSION "^${t} \\(${BK_PRODUCT_NAME}\\) ${PROJECT_VERSION}\nCopyright ")
  endforeach()
endif()
install(FILES ${CMAKE_SOURCE_DIR}/kadra/KADRA.INI DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/kadra)

set(CPACK_PACKAGE_NAME bexa-kadra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${BK_PRODUCT_NAME} developers")
set(CPACK_PACKAGE_CONTACT "${BK_PRODUCT_NAME} developers <bexa-kadra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PCI bus browser and disk throughput benchmark (command line)")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "bexa lists the PCI bus with names, registers, memory map and interrupt routing; "
       "kadra measures disk throughput for streaming media; tvkdump dumps PCI configuration "
       "spaces in lspci -xxx format.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "pci.ids")
# The system KADRA.INI is the administrator's to edit: an upgrade keeps their changes.
configure_file(${BK_PACKAGING_DIR}/debian/conffiles.in ${CMAKE_BINARY_DIR}/generated/conffiles @ONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/generated/conffiles)
set(CPACK_WARN_ON_ABSOLUTE_INSTALL_DESTINATION OFF)
include(CPack)
