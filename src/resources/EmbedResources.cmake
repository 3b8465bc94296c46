# Turns the string table and the ICON and BITMAP files of a resource script into a C++ table, so
# that builds without a resource compiler hand out the same resources.
#   cmake -DRC=<script.rc> -DOUT=<generated.cpp> -P EmbedResources.cmake
get_filename_component(_dir ${RC} DIRECTORY)
file(STRINGS ${RC} _lines)

set(_strings "")
set(_arrays "")
set(_files "")
set(_in_table OFF)
set(_n 0)
foreach(_line IN LISTS _lines)
  if(_line MATCHES "^[ \t]*STRINGTABLE")
    set(_in_table ON)
  elseif(_in_table AND _line MATCHES "^[ \t]*END[ \t]*$")
    set(_in_table OFF)
  elseif(_in_table AND _line MATCHES "^[ \t]*([0-9]+)[ \t]*,?[ \t]*\"(.*)\"[ \t]*$")
    set(_id ${CMAKE_MATCH_1})
    set(_text "${CMAKE_MATCH_2}")
    if(_text MATCHES "\\\\")
      message(FATAL_ERROR "${RC}: string ${_id}: escapes are not supported here")
    endif()
    string(REPLACE "\"\"" "\\\"" _text "${_text}")
    string(APPEND _strings "    {${_id}, \"${_text}\"},\n")
  elseif(_line MATCHES "^[ \t]*([A-Za-z0-9_]+)[ \t]+(ICON|BITMAP)[ \t]+\"([^\"]+)\"")
    set(_name ${CMAKE_MATCH_1})
    set(_kind ${CMAKE_MATCH_2})
    file(READ ${_dir}/${CMAKE_MATCH_3} _hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
    string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
           "\\1\n    " _bytes "${_bytes}")
    string(APPEND _arrays "const unsigned char kFile${_n}[] = {\n    ${_bytes}};\n")
    if(_kind STREQUAL "ICON")
      set(_type "ResourceKind::Icon")
    else()
      set(_type "ResourceKind::Bitmap")
    endif()
    string(APPEND _files "    {\"${_name}\", ${_type}, kFile${_n}, sizeof kFile${_n}},\n")
    math(EXPR _n "${_n} + 1")
  endif()
endforeach()

file(WRITE ${OUT}.tmp
"// Generated from ${RC} by EmbedResources.cmake: do not edit.
#include \"resources/ResourceData.h\"

namespace resources::data {
namespace {
${_arrays}}  // namespace

const StringEntry kStrings[] = {
${_strings}};
const size_t kStringCount = sizeof kStrings / sizeof kStrings[0];

const FileEntry kFiles[] = {
${_files}};
const size_t kFileCount = sizeof kFiles / sizeof kFiles[0];

}  // namespace resources::data
")
# Only a changed table is rewritten, so an unchanged script rebuilds nothing.
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
