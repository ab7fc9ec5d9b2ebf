# Writes a C++ source holding the bytes of a compiled resource file, for the
# substitute host, which reads its dialog templates from them.
#   cmake -DINPUT=dialogs.res -DOUTPUT=sim_dialog_resources.cpp -P embed_resources.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUTPUT}
"// Generated from ${INPUT} by cmake/embed_resources.cmake; do not edit.
#include <cstddef>

extern const unsigned char kSimDialogResources[];
extern const std::size_t kSimDialogResourcesSize;
const unsigned char kSimDialogResources[] = {${bytes}};
const std::size_t kSimDialogResourcesSize = ${size};
")
