# Resources: files compiled into an executable and found by name at run time
# (FindEmbeddedResource in platform/os/embedded.h).
#
# slp_embed_file(<target> <resource name> <file>)
#   Compiles <file> into <target> (an executable or an OBJECT library) as the resource
#   <resource name>. <file> may itself be the output of a build step, also of another folder's.
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
  set(source "${CMAKE_CURRENT_BINARY_DIR}/${target}_resource_${id}.cpp")
  # The bytes go in as they are (.incbin): a megabyte as C++ text would be slow to compile.
  file(CONFIGURE OUTPUT "${source}" CONTENT [=[
// Generated: @file@ as the resource "@name@".
#include <cstdint>

#include "platform/os/embedded.h"

__asm__(".section .rodata\n"
        ".balign 16\n"
        ".global slp_resource_@id@_begin\n"
        "slp_resource_@id@_begin:\n"
        ".incbin \"@file@\"\n"
        ".global slp_resource_@id@_end\n"
        "slp_resource_@id@_end:\n"
        ".previous\n");
extern "C" const std::uint8_t slp_resource_@id@_begin[];
extern "C" const std::uint8_t slp_resource_@id@_end[];

namespace {
[[maybe_unused]] const bool registered = slp::RegisterEmbeddedResource(
    "@name@", slp_resource_@id@_begin,
    static_cast<std::size_t>(slp_resource_@id@_end - slp_resource_@id@_begin));
}  // namespace
]=] @ONLY)
  # The file is made before the target, and a changed file rebuilds the source.
  set_source_files_properties("${source}" TARGET_DIRECTORY ${target}
                              PROPERTIES OBJECT_DEPENDS "${file}")
  add_custom_target(${target}_${id}_resource DEPENDS "${file}")
  add_dependencies(${target} ${target}_${id}_resource)
  target_sources(${target} PRIVATE "${source}")
  target_link_libraries(${target} PUBLIC slp_os)
endfunction()

function(slp_embed_program target name program)
  string(MAKE_C_IDENTIFIER "${name}" id)
  set(packed "${CMAKE_CURRENT_BINARY_DIR}/${target}_${id}.z")
  add_custom_command(
    OUTPUT "${packed}"
    COMMAND slp-compress-file "$<TARGET_FILE:${program}>" "${packed}"
    DEPENDS slp-compress-file ${program} "$<TARGET_FILE:${program}>"
    COMMENT "Compressing ${program} for ${target}"
    VERBATIM)
  slp_embed_file(${target} ${name} "${packed}")
endfunction()
