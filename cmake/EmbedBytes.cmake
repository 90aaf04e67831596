# Writes OUTPUT, a C++ file defining SYMBOL (bytes) and SYMBOLSize from the file INPUT.
file (READ "${INPUT}" hex HEX)
string (LENGTH "${hex}" hexLength)
math (EXPR size "${hexLength} / 2")
string (REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string (REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")

file (WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}\n#include <cstddef>\n\n"
"extern const unsigned char ${SYMBOL}[];\nextern const std::size_t ${SYMBOL}Size;\n\n"
"const unsigned char ${SYMBOL}[] = {\n${bytes}\n0 };\n\n"
"const std::size_t ${SYMBOL}Size = ${size};\n")
file (RENAME "${OUTPUT}.tmp" "${OUTPUT}")
