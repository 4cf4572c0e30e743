# Run when installing: writes the menu entry ENTRY to OUTPUT with its Exec
# naming the program in BINDIR (under CMAKE_INSTALL_PREFIX where relative),
# quoted where the desktop entry format asks for it.
if(NOT IS_ABSOLUTE "${BINDIR}")
  set(BINDIR "${CMAKE_INSTALL_PREFIX}/${BINDIR}")
endif()
set(program "${BINDIR}/Tintra")
if(program MATCHES "[] \t\n\"'\\><~|&;$*?#()`[]")
  # Inside quotes ", `, $ and \ take a backslash, and every backslash is
  # doubled again as in any string of the file.
  string(REGEX REPLACE "([\"`$\\])" "\\\\\\1" program "${program}")
  string(REPLACE "\\" "\\\\" program "${program}")
  set(program "\"${program}\"")
endif()
file(READ "${ENTRY}" entry)
string(REPLACE "\nExec=Tintra " "\nExec=${program} " entry "${entry}")
file(WRITE "${OUTPUT}" "${entry}")
