# Build conventions shared by every folder: one static library per source
# folder (sources found by glob), one test program per test folder.

add_library(kk_warnings INTERFACE)
target_compile_options(kk_warnings INTERFACE
  -Wall -Wextra -Wimplicit-fallthrough -Wunreachable-code
  $<$<BOOL:${KK_WERROR}>:-Werror>)
# g++ 12 reports overlapping copies inside std::string's own inlined
# concatenation and insertion at -O3 (a known false positive of its restrict
# checker, gone in g++ 13): it stays a warning there, so an optimised build
# with the default options still succeeds.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(kk_warnings INTERFACE -Wno-error=restrict)
endif()

add_library(kk_sanitizers INTERFACE)
if(KK_SANITIZE)
  target_compile_options(kk_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
  target_link_options(kk_sanitizers INTERFACE -fsanitize=address,undefined)
endif()
if(KK_TSAN)
  target_compile_options(kk_sanitizers INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(kk_sanitizers INTERFACE -fsanitize=thread)
endif()
if(KK_FUZZ)
  # Every object is instrumented for coverage; the fuzzer's main comes with
  # -fsanitize=fuzzer at link time of the fuzz programs only.
  target_compile_options(kk_sanitizers INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(kk_sanitizers INTERFACE -fsanitize=address,undefined)
endif()

add_custom_target(kk_fuzzers)
add_custom_target(kk_thread_tests)
set_property(GLOBAL PROPERTY KK_FUZZ_LIST "")

# Linked into every test program: a data home of its own per process.
set(KK_ISOLATED_DATA_ROOT ${PROJECT_SOURCE_DIR}/tests/support/IsolatedDataRoot.cpp)

# kk_library(<name> [DEPS libs...] [PRIVATE_DEPS libs...] [RECURSE]
#            [EXCLUDE files...] [SOURCES files...])
# Builds every .cpp file of the current folder into the static library <name>,
# without the EXCLUDE files (names relative to the folder) and with the
# SOURCES (files of another folder, such as one platform's half).
function(kk_library name)
  cmake_parse_arguments(A "RECURSE" "" "DEPS;PRIVATE_DEPS;EXCLUDE;SOURCES" ${ARGN})
  if(A_RECURSE)
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  else()
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  foreach(f ${A_EXCLUDE})
    list(REMOVE_ITEM srcs ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
  add_library(${name} STATIC ${srcs} ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${A_DEPS} kk_sanitizers
                                PRIVATE ${A_PRIVATE_DEPS} kk_warnings)
endfunction()

# The tests of a GoogleTest program: one ctest test per GoogleTest case,
# found when the tests run. A cross-built program runs under the emulator
# (Wine), whose start costs far more than a test: there the whole program is
# one ctest test, its cases reported in its output.
function(kk_add_gtest_program target dir labels)
  if(CMAKE_CROSSCOMPILING)
    set(filter "")
    if(KK_CROSS_SKIPPED_TESTS)
      string(REPLACE ";" ":" skipped "${KK_CROSS_SKIPPED_TESTS}")
      set(filter "--gtest_filter=-${skipped}")
    endif()
    add_test(NAME ${target} COMMAND ${target} --gtest_brief=1 ${filter})
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT "KK_TEST_DATA=${KK_EMULATED_ROOT}${dir}" LABELS "${labels}")
  elseif(labels)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
                         DISCOVERY_TIMEOUT 120 PROPERTIES LABELS ${labels})
  else()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
                         DISCOVERY_TIMEOUT 120
                         PROPERTIES ENVIRONMENT "KK_TEST_DATA=${dir}")
  endif()
endfunction()

# kk_test_folder(<library> [LIBS extra...] [EXCLUDE files...])
# In a tests/<folder>/ directory:
#   *_test.cpp     -> one GoogleTest program test_<library>
#   *_mt_test.cpp  -> one program test_<library>_mt, labelled "threads"
#                     (the ThreadSanitizer job builds and runs only these)
#   *_fuzz.cpp     -> libFuzzer targets (LLVMFuzzerTestOneInput); with
#                     KK_FUZZ a fuzzer program, otherwise a replay test that
#                     runs the seed corpus corpus/<name>/ once
#   *_bench.cpp    -> Google Benchmark programs (never run by ctest)
function(kk_test_folder lib)
  cmake_parse_arguments(A "" "" "LIBS;EXCLUDE" ${ARGN})
  set(dir ${CMAKE_CURRENT_SOURCE_DIR})
  file(GLOB all_tests CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  file(GLOB mt_tests CONFIGURE_DEPENDS ${dir}/*_mt_test.cpp)
  file(GLOB fuzzers CONFIGURE_DEPENDS ${dir}/*_fuzz.cpp)
  file(GLOB benches CONFIGURE_DEPENDS ${dir}/*_bench.cpp)
  # Test files that exercise one platform's own behaviour (POSIX permissions,
  # symbolic links) are left out where the platform differs; see
  # KK_PLATFORM_TEST_EXCLUDES.
  foreach(f ${A_EXCLUDE} ${KK_PLATFORM_TEST_EXCLUDES})
    foreach(var all_tests mt_tests fuzzers benches)
      list(REMOVE_ITEM ${var} ${dir}/${f})
    endforeach()
  endforeach()
  set(tests ${all_tests})
  if(mt_tests)
    list(REMOVE_ITEM tests ${mt_tests})
  endif()

  if(tests AND NOT KK_FUZZ AND NOT KK_TSAN)
    add_executable(test_${lib} ${tests} ${KK_ISOLATED_DATA_ROOT})
    target_link_libraries(test_${lib} PRIVATE ${lib} ${A_LIBS} kk_testsupport
                          GTest::gtest_main kk_warnings)
    kk_add_gtest_program(test_${lib} "${dir}" "")
  endif()

  if(mt_tests AND NOT KK_FUZZ)
    add_executable(test_${lib}_mt ${mt_tests} ${KK_ISOLATED_DATA_ROOT})
    target_link_libraries(test_${lib}_mt PRIVATE ${lib} ${A_LIBS} kk_testsupport
                          GTest::gtest_main kk_warnings)
    kk_add_gtest_program(test_${lib}_mt "${dir}" threads)
    add_dependencies(kk_thread_tests test_${lib}_mt)
  endif()

  foreach(f ${fuzzers})
    get_filename_component(n ${f} NAME_WE)
    set(corpus ${dir}/corpus/${n})
    if(KK_FUZZ)
      add_executable(${n} ${f})
      target_link_libraries(${n} PRIVATE ${lib} ${A_LIBS} kk_warnings)
      target_link_options(${n} PRIVATE -fsanitize=fuzzer)
      add_dependencies(kk_fuzzers ${n})
      set_property(GLOBAL APPEND PROPERTY KK_FUZZ_LIST "${n}=${corpus}")
    elseif(NOT KK_TSAN)
      add_executable(${n}_replay ${f} ${PROJECT_SOURCE_DIR}/tests/support/fuzz_replay_main.cpp)
      target_link_libraries(${n}_replay PRIVATE ${lib} ${A_LIBS} kk_warnings)
      add_test(NAME ${n}.replay COMMAND ${n}_replay ${corpus})
    endif()
  endforeach()

  if(NOT KK_FUZZ AND NOT KK_TSAN AND NOT KK_SANITIZE)
    find_package(benchmark QUIET)
    foreach(f ${benches})
      get_filename_component(n ${f} NAME_WE)
      if(benchmark_FOUND)
        add_executable(${n} ${f})
        target_link_libraries(${n} PRIVATE ${lib} ${A_LIBS} kk_testsupport
                              benchmark::benchmark kk_warnings)
      endif()
    endforeach()
  endif()
endfunction()

# kk_dsp_library(<name>): a library of per-sample audio code. Multiplies and
# adds are never fused (a fused multiply-add rounds once, which would make the
# sound depend on the compiler and the processor), and optimised builds use
# -O3 for it.
function(kk_dsp_library name)
  target_compile_options(${name} PRIVATE -ffp-contract=off
                         $<$<CONFIG:Release,RelWithDebInfo>:-O3>)
endfunction()
