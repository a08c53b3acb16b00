# Writes the bytes of INPUTS (files separated by "|", each followed by a newline) into
# OUTPUT as a C++ array, so a program can read those files' text at run time.
#   cmake -DOUTPUT=out.cc -DINPUTS="a|b" -DSYMBOL=name -P embed_text.cmake
string(REPLACE "|" ";" input_list "${INPUTS}")
set(hex "")
foreach(input IN LISTS input_list)
  file(READ "${input}" part HEX)
  string(APPEND hex "${part}0a")
endforeach()
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from the resource scripts by embed_text.cmake; do not edit.\n"
  "#include <cstddef>\n\n"
  "extern const unsigned char ${SYMBOL}[] = {\n${bytes}};\n"
  "extern const size_t ${SYMBOL}Size = ${size};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
