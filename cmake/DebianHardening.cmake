# Debian's hardening flags (stack protector, _FORTIFY_SOURCE, full RELRO with
# immediate binding), as dpkg-buildflags gives them to every Debian package.
# Included before any target is defined, so that every target gets them.
# None of them changes floating-point arithmetic.
option(VORPI_DEBIAN_HARDENING "Build with Debian's hardening flags from dpkg-buildflags, as for the .deb" OFF)
if(VORPI_DEBIAN_HARDENING)
    find_program(DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS} --get ${kind}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
            COMMAND_ERROR_IS_FATAL ANY)
        separate_arguments(VORPI_DEB_${kind} UNIX_COMMAND "${flags}")
    endforeach()
    add_compile_options(${VORPI_DEB_CPPFLAGS} ${VORPI_DEB_CXXFLAGS})
    add_link_options(${VORPI_DEB_LDFLAGS})
endif()
