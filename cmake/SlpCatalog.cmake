# Message catalogs.
#
# slp_compile_catalog(<name> <po-file> LANGUAGE <code> [SIZE <bytes>])
#   Compiles <po-file> with msgfmt at build time into the target <name>. With SIZE the build
#   fails when the compiled catalog has another size.
#
# slp_append_catalog(<executable> <catalog>)
#   Appends the compiled <catalog> to <executable> after it is linked, named
#   "locale\<code>\LC_MESSAGES\default.mo", and writes its place into the executable's
#   locating record. This must be the last step that touches the file: call it after every
#   other POST_BUILD step of the target (stripping included), and let anything that copies or
#   embeds the executable depend on the target. A changed catalog relinks the executable.
include_guard(GLOBAL)

find_program(SLP_MSGFMT msgfmt REQUIRED)

function(slp_compile_catalog name po)
  cmake_parse_arguments(C "" "LANGUAGE;SIZE" "" ${ARGN})
  if(NOT IS_ABSOLUTE "${po}")
    set(po "${CMAKE_CURRENT_SOURCE_DIR}/${po}")
  endif()
  # Kept away from the executables' folders, where it would read as a catalog beside them.
  set(dir "${CMAKE_BINARY_DIR}/catalogs/${name}")
  set(mo "${dir}/default.mo")
  set(check)
  if(C_SIZE)
    set(check COMMAND ${CMAKE_COMMAND} -DFILE=${mo} -DSIZE=${C_SIZE}
                      -P ${PROJECT_SOURCE_DIR}/cmake/SlpCheckSize.cmake)
  endif()
  add_custom_command(
    OUTPUT "${mo}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${dir}"
    COMMAND "${SLP_MSGFMT}" --check -o "${mo}" "${po}"
    ${check}
    DEPENDS "${po}" ${PROJECT_SOURCE_DIR}/cmake/SlpCheckSize.cmake
    COMMENT "Compiling the ${C_LANGUAGE} catalog ${name}"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS "${mo}")
  set_target_properties(${name} PROPERTIES SLP_CATALOG_FILE "${mo}"
                                           SLP_CATALOG_LANGUAGE "${C_LANGUAGE}")
endfunction()

function(slp_append_catalog target catalog)
  get_target_property(mo ${catalog} SLP_CATALOG_FILE)
  get_target_property(language ${catalog} SLP_CATALOG_LANGUAGE)
  add_dependencies(${target} ${catalog} slp-catalog-append)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${mo}")
  add_custom_command(
    TARGET ${target} POST_BUILD
    COMMAND slp-catalog-append --language ${language} "$<TARGET_FILE:${target}>" "${mo}"
    COMMENT "Appending the ${language} catalog to ${target}"
    VERBATIM)
endfunction()
