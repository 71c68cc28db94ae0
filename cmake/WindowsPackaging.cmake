# The Windows installer's script, with the version, publisher and icon from
# this project (tools/package-windows runs makensis on it and makes the
# portable zip).
set(TCC_PUBLISHER "Tarnel Workshop")
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE TCC_COPYRIGHT_LINE REGEX "^Copyright \\(c\\) ")
# A Windows version resource has four numbers.
set(TCC_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")
if(PROJECT_VERSION_PATCH)
  set(TCC_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
endif()
set(TCC_ICON ${PROJECT_SOURCE_DIR}/artwork/icons/tarnel-cache-converter.ico)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/installer.nsi.in
               ${PROJECT_BINARY_DIR}/packaging/installer.nsi @ONLY)
