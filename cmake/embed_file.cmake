# qs_embed_file(FILE SYMBOL OUTPUT): writes OUTPUT, a C++ source that defines
#   extern const unsigned char SYMBOL[]; extern const unsigned SYMBOLSize;
# in namespace qs with the bytes of FILE (relative to the source tree), remade when FILE changes.
function(qs_embed_file file symbol output)
  set(input ${CMAKE_SOURCE_DIR}/${file})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${input})
  file(READ ${input} hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n"
         bytes "${bytes}")
  file(CONFIGURE OUTPUT ${output} CONTENT "// Generated from ${file} by qs_embed_file.
namespace qs {
extern const unsigned char ${symbol}[] = {
${bytes}};
extern const unsigned ${symbol}Size = ${size};
}  // namespace qs
")
endfunction()
