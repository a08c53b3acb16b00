# The ad-block rules of the program folder, Data/easylistchina.txt, with their licence
# notice beside them, made by scripts/assemble-ad-rules (never committed): from EasyList
# China and its licence file in the outside data folder (KEZO_SHARED_DATA, see
# black_list.cmake) when it is there, else from the EasyList copy of Debian's
# webext-ublock-origin-firefox. Without either the program folder simply has no ad rules,
# and ad filtering passes everything.
set(KEZO_EASYLIST_CHINA ${KEZO_SHARED_DATA}/adblock/easylistchina.txt)
set(KEZO_EASYLIST_CHINA_LICENCE ${KEZO_SHARED_DATA}/adblock/LICENCE-easylistchina.txt)
if(EXISTS ${KEZO_EASYLIST_CHINA} AND EXISTS ${KEZO_EASYLIST_CHINA_LICENCE})
  set(KEZO_EASYLIST ${KEZO_EASYLIST_CHINA})
  set(KEZO_AD_RULES_ARGS ${KEZO_EASYLIST_CHINA} ${KEZO_EASYLIST_CHINA_LICENCE})
  set(KEZO_AD_RULES_FROM "EasyList China")
else()
  file(GLOB KEZO_EASYLIST_SOURCE
    /usr/share/mozilla/extensions/*/uBlock0@raymondhill.net/assets/thirdparties/easylist/easylist.txt)
  list(SORT KEZO_EASYLIST_SOURCE)
  list(POP_FRONT KEZO_EASYLIST_SOURCE KEZO_EASYLIST)
  set(KEZO_AD_RULES_ARGS ${KEZO_EASYLIST})
  set(KEZO_AD_RULES_FROM "EasyList")
endif()
if(KEZO_EASYLIST)
  set(KEZO_AD_RULES ${KEZO_PROGRAM_DIR}/Data/easylistchina.txt)
  add_custom_command(OUTPUT ${KEZO_AD_RULES} ${KEZO_PROGRAM_DIR}/Data/easylistchina-licence.txt
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/assemble-ad-rules ${KEZO_PROGRAM_DIR}/Data ${KEZO_AD_RULES_ARGS}
    DEPENDS ${KEZO_AD_RULES_ARGS} ${CMAKE_SOURCE_DIR}/scripts/assemble-ad-rules
    COMMENT "Assembling the ad-block rules from ${KEZO_AD_RULES_FROM}")
  add_custom_target(ad_rules ALL DEPENDS ${KEZO_AD_RULES})
else()
  message(STATUS "EasyList not found (Debian package webext-ublock-origin-firefox): no ad-block rules in the program folder")
endif()
