# Resources: files compiled into an executable and found by name at run time
# (FindEmbeddedResource in platform/os/embedded.h).
#
# slp_embed_file(<target> <resource name> <file>)
#   Compiles <file> into <target> (an executable or an OBJECT library) as the resource
#   <resource name>. <file> may itself be the output of a build step.
#
# slp_embed_program(<target> <resource name> <program-target>)
#   Carries the finished executable of <program-target>, zlib-compressed, inside <target> as
#   the resource <resource name>. Built from the file as it is after all of <program-target>'s
#   post-build steps, so anything appended to it is carried too.
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

function(slp_embed_program target name program)
  string(MAKE_C_IDENTIFIER "${name}" id)
  set(packed "${CMAKE_CURRENT_BINARY_DIR}/${target}_${id}.z")
  set(source "${CMAKE_CURRENT_BINARY_DIR}/${target}_resource_${id}.cpp")
  add_custom_command(
    OUTPUT "${packed}"
    COMMAND slp-compress-file "$<TARGET_FILE:${program}>" "${packed}"
    DEPENDS slp-compress-file ${program} "$<TARGET_FILE:${program}>"
    COMMENT "Compressing ${program} for ${target}"
    VERBATIM)
  # The bytes go in as they are (.incbin): a megabyte as C++ text would be slow to compile.
  file(CONFIGURE OUTPUT "${source}" CONTENT [[
// Generated: @program@, compressed, as the resource "@name@".
#include <cstdint>

#include "platform/os/embedded.h"

__asm__(".section .rodata\n"
        ".balign 16\n"
        ".global slp_resource_@id@_begin\n"
        "slp_resource_@id@_begin:\n"
        ".incbin \"@packed@\"\n"
        ".global slp_resource_@id@_end\n"
        "slp_resource_@id@_end:\n"
        ".previous\n");
extern "C" const std::uint8_t slp_resource_@id@_begin[];
extern "C" const std::uint8_t slp_resource_@id@_end[];

namespace {
const bool registered = slp::RegisterEmbeddedResource(
    "@name@", slp_resource_@id@_begin,
    static_cast<std::size_t>(slp_resource_@id@_end - slp_resource_@id@_begin));
}  // namespace
]] @ONLY)
  set_source_files_properties("${source}" TARGET_DIRECTORY ${target}
                              PROPERTIES OBJECT_DEPENDS "${packed}")
  add_custom_target(${target}_${id}_packed DEPENDS "${packed}")
  add_dependencies(${target} ${target}_${id}_packed)
  target_sources(${target} PRIVATE "${source}")
  target_link_libraries(${target} PRIVATE slp_os)
endfunction()
