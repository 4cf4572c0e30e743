# Run by cpack once the packages are made (CPACK_POST_BUILD_SCRIPTS).
# CMake 3.25 writes the debug package's md5sums with the absolute paths of
# the build folder, so dpkg --verify and debsums find none of its files, and
# gives it no documentation. This repacks it as Debian's own debug packages
# are: paths relative to the root, the debug file not executable, and
# usr/share/doc/tintra-dbgsym a link to the main package's folder, which
# holds the copyright and the changelog.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "-dbgsym_.*\\.ddeb$")
    continue()
  endif()
  set(root "${CPACK_TOPLEVEL_DIRECTORY}/dbgsym-repack")
  file(REMOVE_RECURSE "${root}")
  execute_process(COMMAND dpkg-deb -R "${package}" "${root}" COMMAND_ERROR_IS_FATAL ANY)
  file(READ "${root}/DEBIAN/md5sums" sums)
  string(REGEX REPLACE "  /[^\n]*-dbgsym/" "  " sums "${sums}")
  file(WRITE "${root}/DEBIAN/md5sums" "${sums}")
  file(GLOB_RECURSE debug_files "${root}/usr/lib/debug/*.debug")
  file(CHMOD ${debug_files} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  file(MAKE_DIRECTORY "${root}/usr/share/doc")
  file(CREATE_LINK "${CPACK_DEBIAN_PACKAGE_NAME}" "${root}/usr/share/doc/${CPACK_DEBIAN_PACKAGE_NAME}-dbgsym"
    SYMBOLIC)
  execute_process(COMMAND dpkg-deb --root-owner-group --build "${root}" "${package}"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${root}")
endforeach()
