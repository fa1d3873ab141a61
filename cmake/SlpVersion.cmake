# slp_embed_version(<target> <description-file>)
#
# Builds the version block described by <description-file> (see resources/*.version) at build
# time and links it into <target>, an executable, where ReadVersionInfo finds it. Works from
# any directory: the generating rule is owned by a helper target made here.
include_guard(GLOBAL)

function(slp_embed_version target description)
  if(NOT IS_ABSOLUTE "${description}")
    set(description "${CMAKE_CURRENT_SOURCE_DIR}/${description}")
  endif()
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_version_block.cpp")
  add_custom_command(
    OUTPUT "${out}"
    COMMAND slp-version-block-gen "${description}" "${out}"
    DEPENDS slp-version-block-gen "${description}"
    COMMENT "Generating the version block of ${target}"
    VERBATIM)
  add_custom_target(${target}_version_block DEPENDS "${out}")
  add_dependencies(${target} ${target}_version_block)
  target_sources(${target} PRIVATE "${out}")
endfunction()
