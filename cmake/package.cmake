# The distribution folder of the Windows programs, as `cmake --install` lays it out
# (scripts/package installs it into build/package/Veltra and zips it): the three programs,
# 7-Zip's console program and its notice, the shipped program folder of dist/ and the
# ad-block rules with their licence notice. Test programs are never installed.
install(TARGETS KEZO Updater Launcher RUNTIME DESTINATION .)
install(PROGRAMS ${KEZO_PROGRAM_DIR}/7z.exe DESTINATION .)
install(FILES ${KEZO_PROGRAM_DIR}/7z-notice.txt DESTINATION .)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/dist/ DESTINATION .)
if(KEZO_AD_RULES)
  install(FILES ${KEZO_AD_RULES} ${KEZO_PROGRAM_DIR}/Data/easylistchina-licence.txt DESTINATION Data)
endif()
