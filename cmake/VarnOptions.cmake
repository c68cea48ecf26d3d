# Compiler flags shared by every target of the project.

add_library(varn_flags INTERFACE)
target_compile_options(varn_flags INTERFACE -Wall -Wextra -Wshadow)
if(VARN_WERROR)
  target_compile_options(varn_flags INTERFACE -Werror)
endif()
target_include_directories(varn_flags INTERFACE "${CMAKE_SOURCE_DIR}/src")

# Without sanitizers or fuzzing, programs are position-dependent executables (the
# distribution compiler builds PIE by default). The emulator's records are global arrays
# indexed on every instruction; position-dependent code addresses them directly instead of
# loading their address into a register first (about 8% fewer instructions in the 68000
# loop). Code that asks for position independence (the naming libraries) keeps it.
if(NOT VARN_SANITIZE AND NOT VARN_FUZZ)
  set(varn_static_code "$<AND:$<NOT:$<BOOL:$<TARGET_PROPERTY:POSITION_INDEPENDENT_CODE>>>,$<OR:$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>,$<STREQUAL:$<TARGET_PROPERTY:TYPE>,OBJECT_LIBRARY>,$<STREQUAL:$<TARGET_PROPERTY:TYPE>,STATIC_LIBRARY>>>")
  target_compile_options(varn_flags INTERFACE "$<${varn_static_code}:-fno-pie>")
  target_link_options(varn_flags INTERFACE
                      "$<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:-no-pie>")
endif()

if(VARN_SANITIZE)
  list(JOIN VARN_SANITIZE "," varn_san)
  target_compile_options(varn_flags INTERFACE -fsanitize=${varn_san} -fno-omit-frame-pointer
                                              -fno-sanitize-recover=all)
  target_link_options(varn_flags INTERFACE -fsanitize=${varn_san})
endif()

if(VARN_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VARN_FUZZ needs clang (use the 'fuzz' preset)")
  endif()
  # Everything is instrumented for coverage; only fuzz targets link the libFuzzer main.
  target_compile_options(varn_flags INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                              -fno-omit-frame-pointer)
  target_link_options(varn_flags INTERFACE -fsanitize=address,undefined)
endif()

# ccache speeds up rebuilds when it is installed; nothing depends on it.
find_program(VARN_CCACHE ccache)
if(VARN_CCACHE)
  set(CMAKE_CXX_COMPILER_LAUNCHER "${VARN_CCACHE}")
  set(CMAKE_C_COMPILER_LAUNCHER "${VARN_CCACHE}")
endif()
