# cmake -DOUTPUT=<file.cpp> -DLIST=<file of id=png lines> -P EmbedIcons.cmake
#
# Writes the rendered system icons into a source file as byte arrays, so
# the GDI library carries its own pictures wherever it is loaded from.
set(body "// Generated from platform/gdi/icons at build time.\n#include \"SystemIconData.h\"\n\nnamespace {\n")
set(table "")
file(STRINGS ${LIST} pairs)
foreach(pair ${pairs})
  string(REPLACE "=" ";" parts "${pair}")
  list(GET parts 0 id)
  list(GET parts 1 png)
  file(READ ${png} hex HEX)
  string(LENGTH "${hex}" hexlen)
  math(EXPR size "${hexlen} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "const unsigned char kIcon${id}[${size}] = {${bytes}};\n")
  string(APPEND table "    {${id}, kIcon${id}, ${size}},\n")
endforeach()
string(APPEND body "}  // namespace\n\nconst SystemIconData kSystemIcons[] = {\n${table}};\nconst int kSystemIconCount = sizeof(kSystemIcons) / sizeof(kSystemIcons[0]);\n")
file(WRITE ${OUTPUT}.tmp "${body}")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
