# Writes the dialogs' bitmaps into a source file as "BITMAP" data resources, read when the project is
# configured (and again whenever a bitmap changes).
function(aldra_embed_bitmaps output)
  set(arrays "")
  set(rows "")
  foreach(id ${ARGN})
    set(file ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/bitmap${id}.bmp)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    file(READ ${file} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    file(SIZE ${file} size)
    string(APPEND arrays "const uint8_t kBitmap${id}[] = {${bytes}};\n")
    string(APPEND rows "    {\"BITMAP\", ${id}, kBitmap${id}, ${size}},\n")
  endforeach()
  file(CONFIGURE OUTPUT ${output} CONTENT "// Generated from resources/ui/*.bmp.
#include \"platform/resources/Resources.h\"

namespace aldra {
namespace {
${arrays}
const ResourceData kBitmaps[] = {
${rows}};
}  // namespace

const ResourceModule* DialogBitmaps() {
    static const ResourceModule bitmaps{\"dialog bitmaps\", nullptr, 0, kBitmaps, sizeof kBitmaps / sizeof kBitmaps[0]};
    return &bitmaps;
}

}  // namespace aldra
" @ONLY)
endfunction()
