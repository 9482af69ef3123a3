# verolink_embed_resource(<target> <file> <function> [<subfolder>])
# Adds to <target> a source generated at build time that defines
#   std::span<const std::uint8_t> verolink::resources::<function>()
# returning the bytes of <file> (the source goes into resources/<subfolder>/
# when given). Run with -P, the file does the generating.
if(CMAKE_SCRIPT_MODE_FILE)
  file(READ "${INPUT}" hex HEX)
  if(hex STREQUAL "")
    message(FATAL_ERROR "${INPUT} is empty")
  endif()
  # 16 bytes a line, then each byte as 0x.., (pairs stay aligned across lines).
  string(REGEX REPLACE "(................................)" "\\1\n    " hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  get_filename_component(name "${INPUT}" NAME)
  file(WRITE "${OUTPUT}"
    "// Generated from ${name}; do not edit.\n"
    "#include <cstdint>\n#include <span>\n\n"
    "namespace verolink::resources {\n\n"
    "namespace {\nconst std::uint8_t kBytes[] = {\n    ${bytes}\n};\n}  // namespace\n\n"
    "std::span<const std::uint8_t> ${FUNCTION}() { return kBytes; }\n\n"
    "}  // namespace verolink::resources\n")
  return()
endif()

function(verolink_embed_resource target file function)
  get_filename_component(input ${file} ABSOLUTE)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/resources/${function}.cpp)
  if(ARGC GREATER 3)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/resources/${ARGV3}/${function}.cpp)
  endif()
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DFUNCTION=${function}
            -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    DEPENDS ${input} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    COMMENT "Embedding ${file}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()

# verolink_embed_provider_pictures(<target> <files> [<subfolder>]): the banner
# and icons of a provider, converted into <files> by verolink_provider_files.
function(verolink_embed_provider_pictures target files)
  verolink_embed_resource(${target} ${files}/banner.png BannerPng ${ARGN})
  verolink_embed_resource(${target} ${files}/verolink.png ProgramIconPng ${ARGN})
endfunction()
