# The Debian package, made by CPack from the install rules (scripts/package runs it):
# morvane_<version>_<arch>.deb with its run-time Depends computed by dpkg-shlibdeps from the
# installed binaries, plus the data the program needs at run time.
#
# The desktop, icon and MIME caches need no maintainer scripts: desktop-file-utils,
# hicolor-icon-theme and shared-mime-info update them from dpkg triggers on the folders the
# package installs into.

set(MORVANE_MAINTAINER "The Morvane developers <maintainers@users.noreply.c-seed-4b1889d4.example>"
    CACHE STRING "Maintainer field of the Debian package")

# Manual pages and the Debian changelog, compressed without a time stamp as Debian asks.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(package_dir ${CMAKE_BINARY_DIR}/package)
configure_file(${PROJECT_SOURCE_DIR}/data/package/changelog.in ${package_dir}/changelog @ONLY)
set(gzipped)
foreach(source ${PROJECT_SOURCE_DIR}/data/man/morvane.1 ${PROJECT_SOURCE_DIR}/data/man/morvane-engine.1
        ${package_dir}/changelog)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${package_dir}/${name}.gz
        COMMAND ${GZIP_EXECUTABLE} -9n -c ${source} > ${package_dir}/${name}.gz
        DEPENDS ${source} VERBATIM)
    list(APPEND gzipped ${package_dir}/${name}.gz)
endforeach()
add_custom_target(morvane_package_docs ALL DEPENDS ${gzipped})

install(FILES ${package_dir}/morvane.1.gz ${package_dir}/morvane-engine.1.gz
    DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/data/package/copyright ${package_dir}/changelog.gz
    DESTINATION share/doc/morvane)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${MORVANE_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/morvane/morvane)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Appended to by dpkg-shlibdeps: the skin's Japanese font and the Japanese texts of Qt's own
# dialogs and buttons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")
# The Wayland platform plugin, the opener of folders and help, the tools the file-type
# registration runs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, xdg-utils, desktop-file-utils, shared-mime-info")
# The sound mixer the settings window starts.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pavucontrol")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"light MP3 player with a Japanese interface
Morvane plays MP3 files and .m3u playlists through a small skinned window
that it draws itself: transport buttons, time and volume digits, a scrolling
title, a spectrum analyser or oscilloscope over a star field, and one line of
lyrics in time with the song, read from .lrc files.

Around playback it offers a playlist window, an ID3 tag editor, a ten-band
graphic equaliser with presets, pitch and play-speed control, a lyrics editor
that writes .lrc files, conversion to WAV, folder shortcuts, a tray icon and
registration as the desktop's handler of MP3 and M3U files. Its user
interface is in Japanese.

The package also holds morvane-engine, the playback engine on the command
line: stream information, decoding to WAV, playing, lyrics and spectrum.")
set(CPACK_STRIP_FILES ON)
include(CPack)
