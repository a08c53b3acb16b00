# 7-Zip's console program beside the Windows programs, as 7z.exe with its notices: fetched
# by scripts/fetch-7zip from the npm package 7zip-bin into the build folder, never committed.
set(SEVEN_ZIP_DOWNLOAD ${CMAKE_BINARY_DIR}/downloads/7zip-bin/7za.exe)
add_custom_command(OUTPUT ${SEVEN_ZIP_DOWNLOAD}
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-7zip ${SEVEN_ZIP_DOWNLOAD}
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/fetch-7zip
  COMMENT "Fetching 7-Zip's console program (npm package 7zip-bin)" VERBATIM)
add_custom_command(OUTPUT ${KEZO_PROGRAM_DIR}/7z.exe ${KEZO_PROGRAM_DIR}/7z-notice.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${SEVEN_ZIP_DOWNLOAD} ${KEZO_PROGRAM_DIR}/7z.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/resources/notices/7z.txt ${KEZO_PROGRAM_DIR}/7z-notice.txt
  DEPENDS ${SEVEN_ZIP_DOWNLOAD} ${CMAKE_SOURCE_DIR}/resources/notices/7z.txt VERBATIM)
add_custom_target(seven_zip ALL DEPENDS ${KEZO_PROGRAM_DIR}/7z.exe ${KEZO_PROGRAM_DIR}/7z-notice.txt)
