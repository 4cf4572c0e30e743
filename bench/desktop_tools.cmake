# The end-to-end tests' picture and desktop tools (tests/tools), for the
# tests and for the benchmark's desktop rows: whichever comes first defines
# them.
if(TARGET desktoptool)
  return()
endif()
add_executable(imgtool ${PROJECT_SOURCE_DIR}/tests/tools/imgtool.cpp)
target_link_libraries(imgtool PRIVATE tintra_chart)

# Remote input and screenshots on headless GNOME Shell and KWin: D-Bus, and
# KWin's fake-input protocol, its client code generated here.
enable_language(C)
find_package(Qt6 REQUIRED COMPONENTS DBus)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)
find_file(FAKE_INPUT_XML fake-input.xml PATHS /usr/share/plasma-wayland-protocols REQUIRED)
set(FAKE_INPUT_GEN ${CMAKE_CURRENT_BINARY_DIR}/fake-input)
add_custom_command(
  OUTPUT ${FAKE_INPUT_GEN}/fake-input-client-protocol.h ${FAKE_INPUT_GEN}/fake-input-protocol.c
  COMMAND ${CMAKE_COMMAND} -E make_directory ${FAKE_INPUT_GEN}
  COMMAND ${WAYLAND_SCANNER} client-header ${FAKE_INPUT_XML} ${FAKE_INPUT_GEN}/fake-input-client-protocol.h
  COMMAND ${WAYLAND_SCANNER} private-code ${FAKE_INPUT_XML} ${FAKE_INPUT_GEN}/fake-input-protocol.c
  DEPENDS ${FAKE_INPUT_XML})
add_executable(desktoptool ${PROJECT_SOURCE_DIR}/tests/tools/desktoptool.cpp
  ${FAKE_INPUT_GEN}/fake-input-client-protocol.h ${FAKE_INPUT_GEN}/fake-input-protocol.c)
target_include_directories(desktoptool PRIVATE ${FAKE_INPUT_GEN})
target_link_libraries(desktoptool PRIVATE Qt6::DBus Qt6::Gui PkgConfig::WAYLAND_CLIENT)
