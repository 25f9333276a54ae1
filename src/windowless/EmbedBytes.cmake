# cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -P EmbedBytes.cmake
# Writes a C++ source holding the bytes of INPUT as `const unsigned char SYMBOL[]` and
# `const unsigned SYMBOL_size` in namespace WinlessUI.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Made during the build from ${INPUT}; do not edit.\nnamespace WinlessUI {\nextern const unsigned char ${SYMBOL}[];\nextern const unsigned ${SYMBOL}_size;\nconst unsigned char ${SYMBOL}[] = {\n${bytes}\n};\nconst unsigned ${SYMBOL}_size = ${size};\n}  // namespace WinlessUI\n")
