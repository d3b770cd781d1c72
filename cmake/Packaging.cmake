# The ZIP a player downloads: the program, its command-line companion
# velmora-sheet.exe, the example Database folder and a short usage note in
# Japanese (code page 932, as Notepad on a Japanese Windows reads it), whose
# first line names the version.
set(USAGE_NOTE_UTF8 ${CMAKE_BINARY_DIR}/usage-note-utf8.txt)
configure_file(${PROJECT_SOURCE_DIR}/docs/使い方.txt ${USAGE_NOTE_UTF8} @ONLY)
set(USAGE_NOTE ${CMAKE_BINARY_DIR}/usage-note.txt)
add_custom_command(OUTPUT ${USAGE_NOTE}
    COMMAND iconv -f UTF-8 -t CP932 ${USAGE_NOTE_UTF8} | sed "s/$/\\r/" > ${USAGE_NOTE}
    DEPENDS ${USAGE_NOTE_UTF8}
    VERBATIM)
add_custom_target(usage_note ALL DEPENDS ${USAGE_NOTE})

install(TARGETS velmora velmora-sheet RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Database DESTINATION .)
install(FILES ${USAGE_NOTE} DESTINATION . RENAME 使い方.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_FILE_NAME velmora-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
