# Installing the game as Debian lays out games, into any prefix, and the
# Debian package made from that installation (scripts/package). Paths are
# relative to the prefix:
#   games/zembrolfink                         the launcher, a shell script
#   lib/games/zembrolfink/Zembrolfink         the program; its file name is the caption
#   share/applications/zembrolfink.desktop    the menu entry
#   share/icons/hicolor/<n>x<n>/apps/zembrolfink.png
#   share/metainfo/zembrolfink.metainfo.xml   what software centres show
#   share/man/man6/zembrolfink.6.gz           the launcher's manual page
#   share/doc/zembrolfink/copyright, changelog.gz

set(ZF_VERSION 1.0)
set(ZF_MAINTAINER "Zembrolfink developers <maintainers@zembrolfink.org>" CACHE STRING
  "Maintainer field of the Debian package")

set(ZF_INSTALL_GAMES games)
set(ZF_INSTALL_PROGRAM lib/games/zembrolfink)
set(ZF_INSTALL_DOC share/doc/zembrolfink)
set(ZF_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(ZF_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)

# The launcher finds the program from its own place, so the installed tree
# works wherever it is put (a prefix chosen at install time, an unpacked .deb).
file(RELATIVE_PATH ZF_LAUNCHER_TO_PROGRAM /prefix/${ZF_INSTALL_GAMES} /prefix/${ZF_INSTALL_PROGRAM})
configure_file(${ZF_PACKAGING}/zembrolfink.in ${ZF_PACKAGING_OUT}/zembrolfink @ONLY)

# Debian wants the manual page and the changelog compressed, without a
# timestamp in the gzip header, so that two builds give the same bytes.
find_program(ZF_GZIP gzip REQUIRED)
set(ZF_COMPRESSED)
foreach(pair "zembrolfink.6;zembrolfink.6.gz" "changelog;changelog.gz")
  list(GET pair 0 in)
  list(GET pair 1 out)
  add_custom_command(OUTPUT ${ZF_PACKAGING_OUT}/${out}
    COMMAND ${ZF_GZIP} -9 -n -c ${ZF_PACKAGING}/${in} > ${ZF_PACKAGING_OUT}/${out}
    DEPENDS ${ZF_PACKAGING}/${in}
    VERBATIM)
  list(APPEND ZF_COMPRESSED ${ZF_PACKAGING_OUT}/${out})
endforeach()
add_custom_target(zf_packaging_files ALL DEPENDS ${ZF_COMPRESSED})

install(TARGETS Zembrolfink RUNTIME DESTINATION ${ZF_INSTALL_PROGRAM})
install(PROGRAMS ${ZF_PACKAGING_OUT}/zembrolfink DESTINATION ${ZF_INSTALL_GAMES})
install(FILES ${ZF_PACKAGING}/zembrolfink.desktop DESTINATION share/applications)
foreach(size 16 32 48 64 128 256)
  install(FILES ${ZF_PACKAGING}/icons/zembrolfink-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME zembrolfink.png)
endforeach()
install(FILES ${ZF_PACKAGING}/zembrolfink.metainfo.xml DESTINATION share/metainfo)
install(FILES ${ZF_PACKAGING_OUT}/zembrolfink.6.gz DESTINATION share/man/man6)
install(FILES ${ZF_PACKAGING}/copyright ${ZF_PACKAGING_OUT}/changelog.gz DESTINATION ${ZF_INSTALL_DOC})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zembrolfink)
set(CPACK_PACKAGE_VERSION ${ZF_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zembrolfink developers")
set(CPACK_PACKAGE_CONTACT ${ZF_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "untangle a knot of creatures joined by lines")
set(CPACK_PACKAGE_DESCRIPTION [[
Zembrolfink is a puzzle game in a small portrait window. Each level is a
tangle of small creatures joined by straight lines; drag the creatures until
no two lines cross. A line that crosses another is white, a line that
crosses nothing turns light green, and the level is solved when you let go
over a drawing with no crossing at all.

Five modes: classic play (no time limit), time attack (a time limit per
level), sudden death (one time bank that grows with every solved level, with
a score and a top-ten table), funky shapes (pick the shape the creatures are
scattered onto) and baby brains (a single ring). Best times, top scores and
abandoned levels are kept in the player's data folder.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZF_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
