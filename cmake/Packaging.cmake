# Where everything goes on a Debian system, and the .deb that puts it there.
# XScreenSaver finds hacks in libexec/xscreensaver and their settings in
# share/xscreensaver/config; other screen-saver front ends read .desktop
# files from share/applications/screensavers.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "Install prefix: where XScreenSaver looks for hacks" FORCE)
endif()
include(GNUInstallDirs)

set(VORPI_HACK_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
set(VORPI_HACK_PATH ${CMAKE_INSTALL_FULL_LIBEXECDIR}/xscreensaver/vorpi)
configure_file(${PROJECT_SOURCE_DIR}/data/vorpi.desktop.in ${PROJECT_BINARY_DIR}/data/vorpi.desktop @ONLY)
# XScreenSaver finds a hack by its name alone only in its own directory.
if(CMAKE_INSTALL_FULL_LIBEXECDIR STREQUAL "/usr/libexec")
    set(VORPI_XSCREENSAVER_COMMAND "vorpi --root")
else()
    set(VORPI_XSCREENSAVER_COMMAND "${VORPI_HACK_PATH} --root")
endif()
configure_file(${PROJECT_SOURCE_DIR}/src/hosts/x11/xscreensaver/vorpi-xscreensaver-add.in ${PROJECT_BINARY_DIR}/data/vorpi-xscreensaver-add
    @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Debian ships manual pages compressed.
find_program(GZIP gzip REQUIRED)
function(vorpi_compressed_man_page page section)
    set(compressed ${PROJECT_BINARY_DIR}/data/${page}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/data/${page} > ${compressed}
        DEPENDS ${PROJECT_SOURCE_DIR}/data/${page}
        COMMENT "Compressing ${page}")
    add_custom_target(man-${page} ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()

install(TARGETS vorpi RUNTIME DESTINATION ${VORPI_HACK_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/vorpi.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES ${PROJECT_BINARY_DIR}/data/vorpi.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)
vorpi_compressed_man_page(vorpi.6 6)

install(PROGRAMS ${PROJECT_BINARY_DIR}/data/vorpi-xscreensaver-add DESTINATION ${CMAKE_INSTALL_BINDIR})
vorpi_compressed_man_page(vorpi-xscreensaver-add.1 1)

# vorpi-wayland goes beside vorpi-render: an idle daemon or a compositor's start-up runs it by name.
install(TARGETS vorpi-wayland RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
vorpi_compressed_man_page(vorpi-wayland.6 6)

if(TARGET vorpi-render)
    install(TARGETS vorpi-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(EXISTS ${PROJECT_SOURCE_DIR}/data/vorpi-render.1)
    vorpi_compressed_man_page(vorpi-render.1 1)
endif()

# The package's documentation: the copyright notice, and the changelog compressed as Debian ships it.
set(VORPI_MAINTAINER "Seed e981eca2 maintainers <maintainers@users.noreply.c-seed-e981eca2.example>" CACHE STRING
    "Maintainer of the .deb, as 'Name <address>'")
configure_file(${PROJECT_SOURCE_DIR}/data/copyright ${PROJECT_BINARY_DIR}/data/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/changelog ${PROJECT_BINARY_DIR}/data/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/data/changelog.gz
    COMMAND ${GZIP} -9nc ${PROJECT_BINARY_DIR}/data/changelog > ${PROJECT_BINARY_DIR}/data/changelog.gz
    DEPENDS ${PROJECT_BINARY_DIR}/data/changelog
    COMMENT "Compressing the changelog")
add_custom_target(changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/data/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/data/copyright ${PROJECT_BINARY_DIR}/data/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorpi)
set(CPACK_PACKAGE_VENDOR "The vorpi developers")
set(CPACK_PACKAGE_CONTACT "${VORPI_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drifting tentacled creatures, as a screen saver")
set(CPACK_PACKAGE_DESCRIPTION "An invisible anchor wanders over the screen and five creatures trail
after it on a chain of springs, waving fins that grow, fade and collapse.
Contains vorpi, a hack for XScreenSaver and xsecurelock; vorpi-wayland, a
screen saver or animated wallpaper for Wayland desktops with layer-shell
(sway, Hyprland, KDE Plasma and others); and vorpi-render, which records the
animation as images or video.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | xsecurelock, swayidle, ffmpeg")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
