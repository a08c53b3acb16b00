# The distribution folder of the Windows programs, as `cmake --install` lays it out
# (scripts/package installs it into build/package/Veltra and zips it): the three programs,
# 7-Zip's console program and its notice, the shipped program folder of dist/, the ad-block
# rules with their licence notice and the runtime libraries' notices. Test programs are
# never installed.
install(TARGETS KEZO Updater Launcher RUNTIME DESTINATION .)
install(PROGRAMS ${KEZO_PROGRAM_DIR}/7z.exe DESTINATION .)
install(FILES ${KEZO_PROGRAM_DIR}/7z-notice.txt DESTINATION .)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/dist/ DESTINATION .)
# The assembled black site list (and the licences of the lists merged into it) replaces
# the curated copy of dist/.
install(DIRECTORY ${KEZO_BLACK_LIST_DIR}/ DESTINATION Data)
if(KEZO_AD_RULES)
  install(FILES ${KEZO_AD_RULES} ${KEZO_PROGRAM_DIR}/Data/easylistchina-licence.txt DESTINATION Data)
endif()

# The runtime libraries linked into the programs (the mingw-w64 C runtime with winpthreads,
# GCC's C and C++ runtime, zlib) carry terms that ask for their notices beside a binary:
# the copyright files of the Debian packages they come from go into licences/.
foreach(notice mingw-w64-common=mingw-w64-runtime gcc-mingw-w64-base=gcc-runtime libz-mingw-w64=zlib)
  string(REPLACE "=" ";" parts ${notice})
  list(GET parts 0 package)
  list(GET parts 1 name)
  if(EXISTS /usr/share/doc/${package}/copyright)
    install(FILES /usr/share/doc/${package}/copyright DESTINATION licences RENAME ${name}.txt)
  endif()
endforeach()
