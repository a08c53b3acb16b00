# The shipped black site list of the program folder, Data/blackdomain.kezo: our curated
# list merged with the adult-site lists of the outside data folder (KEZO_SHARED_DATA, by
# default ../shared/data beside the source tree) by scripts/assemble-black-list, with the
# lists' licence files beside it, and the family index Data/blackfamily.kezo learnt from the
# merged list. The outside lists are read where they lie and nothing
# made from them is committed; without them the program folder keeps the curated list.
#
# The list is written into a staging folder and copied over the curated copy that
# program_folder lays out on every build.
set(KEZO_SHARED_DATA ${CMAKE_SOURCE_DIR}/../shared/data CACHE PATH
    "Outside data the build reads (adult-site lists, EasyList China); never committed")
set(KEZO_BLACK_LIST_DIR ${CMAKE_BINARY_DIR}/black-list)
set(KEZO_BLOCKLISTS ${KEZO_SHARED_DATA}/blocklists)
file(GLOB KEZO_BLOCKLIST_FILES ${KEZO_BLOCKLISTS}/*.txt)
if(NOT KEZO_BLOCKLIST_FILES)
  message(STATUS "Outside adult-site lists not found in ${KEZO_BLOCKLISTS}: the black site list is the curated one, "
                 "and the site families (blackfamily.kezo) are learnt from it alone")
endif()
set(KEZO_BLACK_LIST_SOURCES
  ${CMAKE_SOURCE_DIR}/dist-src/lists/blackdomain.txt
  ${CMAKE_SOURCE_DIR}/dist-src/lists/blackdomain-exclude.txt
  ${CMAKE_SOURCE_DIR}/dist-src/lists/whitedomain.txt)
add_custom_command(OUTPUT ${KEZO_BLACK_LIST_DIR}/blackdomain.kezo ${KEZO_BLACK_LIST_DIR}/blackfamily.kezo
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KEZO_BLACK_LIST_DIR}
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/assemble-black-list ${KEZO_BLACK_LIST_DIR}
          ${CMAKE_SOURCE_DIR}/dist-src/lists/blackdomain.txt ${KEZO_BLOCKLISTS}
  DEPENDS ${KEZO_BLACK_LIST_SOURCES} ${KEZO_BLOCKLIST_FILES} ${CMAKE_SOURCE_DIR}/scripts/assemble-black-list
  COMMENT "Assembling the black site list")
# The licence files of a previous build that had the outside lists go first.
add_custom_target(black_list ALL
  COMMAND ${CMAKE_COMMAND} -E rm -f ${KEZO_PROGRAM_DIR}/Data/LICENCE-shadowwhisperer-adult.txt
          ${KEZO_PROGRAM_DIR}/Data/LICENCE-bigdargon-hostsvn-adult.txt
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${KEZO_BLACK_LIST_DIR} ${KEZO_PROGRAM_DIR}/Data
  DEPENDS ${KEZO_BLACK_LIST_DIR}/blackdomain.kezo
  COMMENT "Placing the black site list in the program folder")
add_dependencies(black_list program_folder)
