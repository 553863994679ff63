# Client code for Wayland protocols, generated at build time by wayland-scanner
# from their XML descriptions: Debian's wayland-protocols, and the wlroots
# protocols the tree keeps a copy of.
enable_language(C)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
if(NOT WAYLAND_SCANNER OR NOT WAYLAND_PROTOCOLS_DIR)
    message(FATAL_ERROR "wayland-scanner or wayland-protocols is missing (scripts/install-deps installs them)")
endif()

# A C library `target` of the client code for each protocol XML given after
# it, with the headers its users include (each named after its XML file).
# C++ cannot read a header with a parameter named `namespace`, as layer-shell's
# has, so the generated headers call it `name_space`.
function(vorpi_wayland_protocols target)
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target})
    set(sources)
    foreach(xml ${ARGN})
        get_filename_component(name ${xml} NAME_WE)
        add_custom_command(OUTPUT ${folder}/${name}.h ${folder}/${name}.c
            COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
            COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${folder}/${name}.h
            COMMAND sed -i "s/\\bnamespace\\b/name_space/g" ${folder}/${name}.h
            COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${folder}/${name}.c
            DEPENDS ${xml}
            VERBATIM)
        list(APPEND sources ${folder}/${name}.h ${folder}/${name}.c)
    endforeach()
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${folder})
    target_link_libraries(${target} PUBLIC PkgConfig::WAYLAND_CLIENT)
endfunction()
