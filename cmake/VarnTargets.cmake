# Helpers that every folder uses to declare its targets.

# Adds every <root>/*/ and <root>/*/*/ folder that has a CMakeLists.txt, in sorted order,
# so that a folder joins the build by existing and no shared list has to be edited.
function(varn_add_subdirectories root)
  file(GLOB lists CONFIGURE_DEPENDS "${root}/*/CMakeLists.txt" "${root}/*/*/CMakeLists.txt")
  list(SORT lists)
  foreach(file IN LISTS lists)
    get_filename_component(dir "${file}" DIRECTORY)
    add_subdirectory("${dir}")
  endforeach()
endfunction()

# varn_add_component(<name> SOURCES ... [LIBS ...]): the OBJECT library varn_<name>, one per
# folder (name "genesis_vdp" for src/genesis/vdp). Every component is recorded in the
# global property VARN_COMPONENTS, which the programs link.
function(varn_add_component name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  add_library(varn_${name} OBJECT ${arg_SOURCES})
  target_link_libraries(varn_${name} PUBLIC varn_flags ${arg_LIBS})
  set_property(GLOBAL APPEND PROPERTY VARN_COMPONENTS varn_${name})
endfunction()

# varn_add_test(<name> LABEL <label> SOURCES ... [LIBS ...] [PROGRAMS ...])
# A GoogleTest executable whose tests are registered with ctest under <label>.
# PROGRAMS are targets made by varn_assemble that the test reads at run time from
# VARN_TESTPROG_DIR; VARN_TESTDATA_DIR names the shared test images.
function(varn_add_test name)
  cmake_parse_arguments(arg "" "LABEL" "SOURCES;LIBS;PROGRAMS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests")
  target_link_libraries(${name} PRIVATE varn_flags ${arg_LIBS} GTest::gtest GTest::gtest_main
                                        GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    VARN_TESTPROG_DIR="${VARN_PROGRAM_DIR}"
    VARN_TESTDATA_DIR="${VARN_TESTDATA_DIR}")
  if(arg_PROGRAMS)
    add_dependencies(${name} ${arg_PROGRAMS})
  endif()
  gtest_discover_tests(${name} PROPERTIES LABELS "${arg_LABEL}" DISCOVERY_MODE PRE_TEST
                       DISCOVERY_TIMEOUT 60)
endfunction()

# varn_add_benchmark(<name> SOURCES ... [LIBS ...]): a Google Benchmark executable.
function(varn_add_benchmark name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE varn_flags ${arg_LIBS} benchmark::benchmark)
endfunction()

# varn_add_fuzzer(<name> SOURCES ... [LIBS ...] [MAX_LEN <bytes>] [OPTIONS ...]): a libFuzzer
# target (VARN_FUZZ only). MAX_LEN (default 4096) and OPTIONS (libFuzzer flags such as
# -len_control=0) become the target's defaults, which flags on its command line override.
function(varn_add_fuzzer name)
  cmake_parse_arguments(arg "" "MAX_LEN" "SOURCES;LIBS;OPTIONS" ${ARGN})
  if(NOT arg_MAX_LEN)
    set(arg_MAX_LEN 4096)
  endif()
  list(JOIN arg_OPTIONS " " options)
  add_executable(${name} ${arg_SOURCES} "${CMAKE_SOURCE_DIR}/fuzz/fuzz_defaults.cpp")
  target_link_libraries(${name} PRIVATE varn_flags ${arg_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests")  # support/
  target_compile_definitions(${name} PRIVATE
    VARN_FUZZ_DEFAULTS="-max_len=${arg_MAX_LEN} ${options}")
endfunction()

# varn_core_components(<out>): the components a headless program links: every folder but
# the front end's window and device libraries (settings live apart from them, in
# src/settings, with no toolkit).
function(varn_core_components out)
  get_property(components GLOBAL PROPERTY VARN_COMPONENTS)
  list(FILTER components EXCLUDE REGEX "^varn_frontend")
  set(${out} ${components} PARENT_SCOPE)
endfunction()
