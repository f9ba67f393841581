# Writes OUTPUT, a C++ source that holds the bytes of INPUT as `img_<NAME>`
# (an EmbeddedFile: pointer and length, declared in assets/assets.h).
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}
"// Generated from assets/${NAME} at build time; do not edit.\n"
"#include \"assets/assets.h\"\n\n"
"static const uint8_t bytes[${size} + 1] = {\n${bytes}0};\n\n"
"const EmbeddedFile img_${NAME} = { bytes, ${size} };\n")
