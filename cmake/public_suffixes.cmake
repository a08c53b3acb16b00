# Writes the rules of the public suffix list (Debian's publicsuffix) into OUTPUT as a C++
# string, one rule a line, comments left out, so that the registrable domain of a host can
# be found without a data file. Without the list only com.cn and net.cn are known.
#   cmake -DOUTPUT=out.cc -DLIST=public_suffix_list.dat -P public_suffixes.cmake
set(rules "")
if(EXISTS "${LIST}")
  file(STRINGS "${LIST}" lines ENCODING UTF-8)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^//")
      continue()
    endif()
    string(APPEND rules "    \"${line}\\n\"\n")
  endforeach()
else()
  set(rules "    \"com.cn\\n\"\n    \"net.cn\\n\"\n")
endif()
file(WRITE "${OUTPUT}.tmp"
  "// Generated from the public suffix list by public_suffixes.cmake; do not edit.\n"
  "extern const char kPublicSuffixRules[] =\n${rules}    \"\";\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
