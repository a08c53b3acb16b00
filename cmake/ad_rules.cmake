# The ad-block rules of the program folder, Data/easylistchina.txt, with their licence
# notice beside them: made from the EasyList copy of Debian's webext-ublock-origin-firefox
# by scripts/assemble-ad-rules (never committed). Without the package the program folder
# simply has no ad rules, and ad filtering passes everything.
file(GLOB KEZO_EASYLIST_SOURCE
  /usr/share/mozilla/extensions/*/uBlock0@raymondhill.net/assets/thirdparties/easylist/easylist.txt)
list(SORT KEZO_EASYLIST_SOURCE)
list(POP_FRONT KEZO_EASYLIST_SOURCE KEZO_EASYLIST)
if(KEZO_EASYLIST)
  set(KEZO_AD_RULES ${KEZO_PROGRAM_DIR}/Data/easylistchina.txt)
  add_custom_command(OUTPUT ${KEZO_AD_RULES} ${KEZO_PROGRAM_DIR}/Data/easylistchina-licence.txt
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/assemble-ad-rules ${KEZO_PROGRAM_DIR}/Data ${KEZO_EASYLIST}
    DEPENDS ${KEZO_EASYLIST} ${CMAKE_SOURCE_DIR}/scripts/assemble-ad-rules
    COMMENT "Assembling the ad-block rules from EasyList")
  add_custom_target(ad_rules ALL DEPENDS ${KEZO_AD_RULES})
else()
  message(STATUS "EasyList not found (Debian package webext-ublock-origin-firefox): no ad-block rules in the program folder")
endif()
