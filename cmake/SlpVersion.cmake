# slp_embed_version(<target> <description>)
#
# Builds the version block described by <description> (see resources/*.version.in) at build
# time and links it into <target>, an executable, where ReadVersionInfo finds it. The
# description is configured from its template <description>.in when there is one, so that
# the numbers come from the one place they are set: the project version for the notifier,
# SLP_RENEWER_VERSION for the updater. Works from any directory: the generating rule is owned
# by a helper target made here.
include_guard(GLOBAL)

# Major.minor, the product version the descriptions' string tables show.
string(REGEX MATCH "^[0-9]+\\.[0-9]+" SLP_NOTIFIER_PRODUCT_VERSION "${PROJECT_VERSION}")
string(REGEX MATCH "^[0-9]+\\.[0-9]+" SLP_RENEWER_PRODUCT_VERSION "${SLP_RENEWER_VERSION}")

# slp_version_description(<description> <out-var>): the path of the description to build
# from; <description>.in, when it exists, is configured into the build tree first.
function(slp_version_description description out)
  if(NOT IS_ABSOLUTE "${description}")
    set(description "${CMAKE_CURRENT_SOURCE_DIR}/${description}")
  endif()
  if(EXISTS "${description}.in")
    get_filename_component(name "${description}" NAME)
    set(configured "${CMAKE_BINARY_DIR}/resources/${name}")
    configure_file("${description}.in" "${configured}" @ONLY)
    set(description "${configured}")
  endif()
  set(${out} "${description}" PARENT_SCOPE)
endfunction()

function(slp_embed_version target description)
  slp_version_description("${description}" description)
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
