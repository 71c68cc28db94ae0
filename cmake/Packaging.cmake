# Everything a Debian package carries besides the programs (AppStream
# metainfo, the man pages, the copyright file and changelog) and CPack's DEB
# generator: `cpack -G DEB` in a built tree makes
# tarnel-cache-converter_<version>_<arch>.deb (tools/package does it all).
include(GNUInstallDirs)

set(TCC_PACKAGE_NAME tarnel-cache-converter)
set(TCC_APP_ID org.tarnelworkshop.CacheConverter)
set(TCC_SUMMARY "Give a game's cached files their real names and sort them into folders")
set(TCC_MAINTAINER "Tarnel Workshop <maintainers@tarnelworkshop.org>")
find_program(TCC_GZIP gzip)
if(NOT TCC_GZIP)
  message(FATAL_ERROR "gzip not found: the man pages and the changelog are installed gzipped")
endif()

# Installs the file made by gzip -9n from SOURCE (no name or time stamp in it,
# so the same text always gives the same bytes) as NAME.gz in DESTINATION.
function(tcc_install_gzipped source name destination)
  set(out ${PROJECT_BINARY_DIR}/share/gz/${name}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/share/gz
    COMMAND ${TCC_GZIP} -9nc ${source} > ${out}
    DEPENDS ${source}
    COMMENT "Compressing ${name}")
  add_custom_target(tcc-gz-${name} ALL DEPENDS ${out})
  install(FILES ${out} DESTINATION ${destination})
endfunction()

# AppStream metainfo, read by software centres. Its release is the project
# version.
if(TARGET tarnel-cache-converter)
  set(TCC_PROVIDED_BINARIES "    <binary>tarnel-cache-converter</binary>\n")
  if(TARGET tarnel-cache)
    string(APPEND TCC_PROVIDED_BINARIES "    <binary>tarnel-cache</binary>\n")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/qt/${TCC_APP_ID}.metainfo.xml.in
                 ${PROJECT_BINARY_DIR}/share/${TCC_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/share/${TCC_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The program's icon at the sizes desktops and software centres ask for (a
# centre lists an app only with an icon of 64 pixels or more).
if(TARGET tarnel-cache-converter)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/artwork/icons/tarnel-cache-converter-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME tarnel-cache-converter.png)
  endforeach()
endif()

# The window's man page, written by hand; its header names this version.
if(TARGET tarnel-cache-converter)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/tarnel-cache-converter.1.in
                 ${PROJECT_BINARY_DIR}/share/man/tarnel-cache-converter.1 @ONLY)
  tcc_install_gzipped(${PROJECT_BINARY_DIR}/share/man/tarnel-cache-converter.1 tarnel-cache-converter.1
                      ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The command line's man page: its --help and --version made into a page by
# help2man, which runs the program just built (so not in a cross build).
if(TARGET tarnel-cache AND NOT CMAKE_CROSSCOMPILING)
  find_program(TCC_HELP2MAN help2man)
  if(TCC_HELP2MAN)
    set(page ${PROJECT_BINARY_DIR}/share/man/tarnel-cache.1)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/share/man
      COMMAND ${TCC_HELP2MAN} --no-info "--name=give a game's cached files their real names and sort them into folders" --output=${page}
              $<TARGET_FILE:tarnel-cache>
      COMMAND ${TCC_GZIP} -9nf ${page}
      DEPENDS tarnel-cache
      COMMENT "Making the man page of tarnel-cache"
      VERBATIM)
    add_custom_target(tarnel-cache-man ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    message(WARNING "help2man not found: tarnel-cache gets no man page")
  endif()
endif()

# Debian's machine-readable copyright file, made from LICENSE: its copyright
# line, then the licence text indented by one space with "." for empty lines.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.*[^\n])\n*$")
  message(FATAL_ERROR "LICENSE has no \"Copyright (c)\" line followed by the licence text")
endif()
set(TCC_COPYRIGHT "${CMAKE_MATCH_1}")
string(REPLACE "\n\n" "\n.\n" TCC_LICENCE_TEXT "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " TCC_LICENCE_TEXT " ${TCC_LICENCE_TEXT}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian-copyright.in
               ${PROJECT_BINARY_DIR}/share/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/share/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${TCC_PACKAGE_NAME})

# The changelog that every Debian package carries, in Debian's format; its
# latest entry must be this version.
set(changelog ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(STRINGS ${changelog} top LIMIT_COUNT 1)
if(NOT top MATCHES "^${TCC_PACKAGE_NAME} \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog: its first entry is not version ${PROJECT_VERSION}")
endif()
tcc_install_gzipped(${changelog} changelog ${CMAKE_INSTALL_DATADIR}/doc/${TCC_PACKAGE_NAME})

# The package. Its dependencies are what dpkg-shlibdeps finds the binaries
# linked against, so only the runtime libraries are needed to install it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TCC_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "Tarnel Workshop")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${TCC_SUMMARY}")
set(CPACK_PACKAGE_DESCRIPTION
  "The game keeps the files it downloads in its Cache folder under cryptic
names, with their real names in an index, cache.ini. This tool renames the
cached files to their real names without ever overwriting a file, resets the
index, and sorts the files into the game's Maps, System, Textures, Sounds and
Music folders. Its command line also moves them into the game's own folders,
never replacing a file of other bytes unless asked to.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TCC_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows are laid out for Arial's metrics, which Liberation Sans shares.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
