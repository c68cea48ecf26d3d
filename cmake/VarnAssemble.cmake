# Test programs are written here in assembly and assembled at build time; no binary of
# them is committed. varn_assemble(<target> <source> ARCH m68k|z80|sh [INCLUDES <file>...])
# makes ${VARN_PROGRAM_DIR}/<target>.bin, a raw image linked at address 0. INCLUDES names the
# files a 68000 or SH-2 program takes in with `.include "<name>"`: their folders are searched
# and the program is assembled again when one changes.

set(VARN_PROGRAM_DIR "${CMAKE_BINARY_DIR}/programs")
file(MAKE_DIRECTORY "${VARN_PROGRAM_DIR}")

function(varn_require_tool var program package)
  find_program(${var} ${program})
  if(NOT ${var})
    message(FATAL_ERROR "'${program}' was not found: install the Debian package '${package}' "
                        "(./test.sh installs it when run as root)")
  endif()
endfunction()

varn_require_tool(VARN_M68K_AS m68k-linux-gnu-as binutils-m68k-linux-gnu)
varn_require_tool(VARN_M68K_LD m68k-linux-gnu-ld binutils-m68k-linux-gnu)
varn_require_tool(VARN_M68K_OBJCOPY m68k-linux-gnu-objcopy binutils-m68k-linux-gnu)
varn_require_tool(VARN_Z80ASM z80asm z80asm)
varn_require_tool(VARN_SH_AS sh-elf-as binutils-sh-elf)
varn_require_tool(VARN_SH_LD sh-elf-ld binutils-sh-elf)
varn_require_tool(VARN_SH_OBJCOPY sh-elf-objcopy binutils-sh-elf)

function(varn_assemble target source)
  cmake_parse_arguments(arg "" "ARCH" "INCLUDES" ${ARGN})
  get_filename_component(src "${source}" ABSOLUTE)
  set(include_flags)
  foreach(file IN LISTS arg_INCLUDES)
    get_filename_component(dir "${file}" DIRECTORY)
    list(APPEND include_flags "-I${dir}")
  endforeach()
  set(out "${VARN_PROGRAM_DIR}/${target}.bin")
  set(obj "${VARN_PROGRAM_DIR}/${target}.o")
  set(elf "${VARN_PROGRAM_DIR}/${target}.elf")
  if(arg_ARCH STREQUAL "m68k")
    add_custom_command(OUTPUT "${out}"
      COMMAND ${VARN_M68K_AS} -m68000 ${include_flags} -o "${obj}" "${src}"
      COMMAND ${VARN_M68K_LD} -Ttext=0 -e 0 -o "${elf}" "${obj}"
      COMMAND ${VARN_M68K_OBJCOPY} -O binary -j .text "${elf}" "${out}"
      DEPENDS "${src}" ${arg_INCLUDES} COMMENT "Assembling 68000 program ${target}" VERBATIM)
  elseif(arg_ARCH STREQUAL "sh")
    add_custom_command(OUTPUT "${out}"
      COMMAND ${VARN_SH_AS} -big ${include_flags} -o "${obj}" "${src}"
      COMMAND ${VARN_SH_LD} -EB -Ttext=0 -e 0 -o "${elf}" "${obj}"
      COMMAND ${VARN_SH_OBJCOPY} -O binary -j .text "${elf}" "${out}"
      DEPENDS "${src}" ${arg_INCLUDES} COMMENT "Assembling SH-2 program ${target}" VERBATIM)
  elseif(arg_ARCH STREQUAL "z80")
    add_custom_command(OUTPUT "${out}"
      COMMAND ${VARN_Z80ASM} -o "${out}" "${src}"
      DEPENDS "${src}" COMMENT "Assembling Z80 program ${target}" VERBATIM)
  else()
    message(FATAL_ERROR "varn_assemble(${target}): ARCH must be m68k, z80 or sh")
  endif()
  add_custom_target(${target} DEPENDS "${out}")
endfunction()
