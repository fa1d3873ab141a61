# slp_embed_file(<target> <resource name> <file>)
#
# Compiles <file> into <target> (an executable or an OBJECT library) as the resource <resource name>, which
# FindEmbeddedResource returns. <file> may itself be the output of a build step.
include_guard(GLOBAL)

function(slp_embed_file target name file)
  if(NOT IS_ABSOLUTE "${file}")
    set(file "${CMAKE_CURRENT_SOURCE_DIR}/${file}")
  endif()
  string(MAKE_C_IDENTIFIER "${name}" id)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_resource_${id}.cpp")
  add_custom_command(
    OUTPUT "${out}"
    COMMAND slp-embed-file "${file}" "${out}" "${name}"
    DEPENDS slp-embed-file "${file}"
    COMMENT "Embedding ${name} into ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE "${out}")
  target_link_libraries(${target} PUBLIC slp_os)
endfunction()
