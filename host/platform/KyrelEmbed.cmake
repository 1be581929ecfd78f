# Build-time step of kyrel_embed_resources: writes one file's bytes and the
# registration of the resource into a C++ source file.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
if(size EQUAL 0)
  set(bytes "0")
endif()
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${NAME}; do not edit.
#include \"win_modules.h\"

namespace {
const unsigned char kData[] = {
${bytes}
};
const KyrelResourceRegistration kRegistration(L\"${TYPE}\", L\"${NAME}\", kData, ${size}u);
}  // namespace
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
