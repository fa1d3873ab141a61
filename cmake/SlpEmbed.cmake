# slp_embed_program(<target> <symbol> <program-target>)
#
# Carries the finished executable of <program-target>, compressed, inside <target>: the
# bytes lie between the symbols <symbol>_begin and <symbol>_end. Built from the file as it is
# after all of <program-target>'s post-build steps, so anything appended to it is carried too.
include_guard(GLOBAL)

function(slp_embed_program target symbol program)
  set(packed "${CMAKE_CURRENT_BINARY_DIR}/${symbol}.z")
  set(source "${CMAKE_CURRENT_BINARY_DIR}/${symbol}_blob.cpp")
  add_custom_command(
    OUTPUT "${packed}"
    COMMAND slp-compress-file "$<TARGET_FILE:${program}>" "${packed}"
    DEPENDS slp-compress-file ${program} "$<TARGET_FILE:${program}>"
    COMMENT "Compressing ${program} for ${target}"
    VERBATIM)
  file(CONFIGURE OUTPUT "${source}" CONTENT [[
// Generated: the compressed bytes of another program.
__asm__(".section .rodata\n"
        ".balign 16\n"
        ".global @symbol@_begin\n"
        "@symbol@_begin:\n"
        ".incbin \"@packed@\"\n"
        ".global @symbol@_end\n"
        "@symbol@_end:\n"
        ".previous\n");
]] @ONLY)
  set_source_files_properties("${source}" PROPERTIES OBJECT_DEPENDS "${packed}")
  add_custom_target(${target}_${symbol} DEPENDS "${packed}")
  add_dependencies(${target} ${target}_${symbol})
  target_sources(${target} PRIVATE "${source}")
endfunction()
