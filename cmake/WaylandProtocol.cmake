# SPDX-License-Identifier: GPL-3.0-or-later
# Generates the C glue of a Wayland protocol with wayland-scanner and links it
# into a target: the client header "<name>-client-protocol.h" (name: the XML
# file's base name) on the target's include path, and the protocol's code. The
# glue is an object library of the calling folder, where its rules live.
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)

# The wlroots protocols reach Debian 12 only inside the Rust crate's sources.
file(GLOB DROWSEL_WLR_PROTOCOL_DIRS /usr/share/cargo/registry/wayland-protocols-*/wlr-protocols/unstable)
find_path(WLR_PROTOCOL_DIR wlr-foreign-toplevel-management-unstable-v1.xml
  HINTS ${DROWSEL_WLR_PROTOCOL_DIRS} REQUIRED)
find_path(PLASMA_PROTOCOL_DIR plasma-window-management.xml
  HINTS /usr/share/plasma-wayland-protocols REQUIRED)

function(drowsel_add_wayland_protocol target xml)
  get_filename_component(name ${xml} NAME_WE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols)
  set(header ${out}/${name}-client-protocol.h)
  set(code ${out}/${name}-protocol.c)
  add_custom_command(OUTPUT ${header}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${header}
    DEPENDS ${xml} VERBATIM)
  add_custom_command(OUTPUT ${code}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code}
    DEPENDS ${xml} VERBATIM)
  set(glue ${target}_${name})
  add_library(${glue} OBJECT ${header} ${code})
  target_include_directories(${glue} PUBLIC ${out})
  target_link_libraries(${glue} PUBLIC PkgConfig::WAYLAND)
  target_link_libraries(${target} PRIVATE ${glue})
endfunction()
