# Release artefacts: version resources and manifests of the Win32 files.
#
# Kadra's window program and its two libraries join the moment their targets exist.
set(BK_KADRA_EXE_TARGET kadra)
set(BK_VORLU_TARGET vorlu)
set(BK_PELMOU_TARGET pelmou)

set(BK_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

if(WIN32)
  bk_add_version_resource(bexa "Bexa PCI bus browser" MANIFEST ${BK_PACKAGING_DIR}/bexa.exe.manifest)
  bk_add_version_resource(${BK_KADRA_EXE_TARGET} "Kadra disk throughput benchmark"
                          MANIFEST ${BK_PACKAGING_DIR}/kadra.exe.manifest)
  bk_add_version_resource(travik "Hardware access service (narrow)")
  bk_add_version_resource(travikw "Hardware access service (wide)")
  bk_add_version_resource(tvkdump "PCI configuration dump")
  bk_add_version_resource(${BK_VORLU_TARGET} "Kadra dialog library")
  bk_add_version_resource(${BK_PELMOU_TARGET} "Kadra tools library")
endif()
