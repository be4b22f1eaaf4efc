# Helpers shared by the per-folder CMake files.

# shelfmap_test(NAME SOURCES src... [LIBS lib...] [ARGS arg...] [WORKDIR dir])
# A GoogleTest program, registered with CTest. Windows programs run through the Wine emulator.
function(shelfmap_test name)
  cmake_parse_arguments(T "" "WORKDIR" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE SHELFMAP_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                             SHELFMAP_BINARY_DIR="${CMAKE_BINARY_DIR}")
  if(WIN32 AND NOT SHELFMAP_CAN_RUN)
    return()
  endif()
  if(NOT T_WORKDIR)
    set(T_WORKDIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  add_test(NAME ${name} COMMAND ${name} ${T_ARGS} WORKING_DIRECTORY ${T_WORKDIR})
  if(WIN32)
    # Windows programs share one Wine desktop, and some click and type through SendInput: one at a
    # time, so no test's input or focus lands in another's window.
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine_desktop)
  endif()
endfunction()

# shelfmap_fuzz(NAME SOURCES src... [LIBS lib...] [CORPUS dir] [SECONDS n])
# A libFuzzer target (native clang build with SHELFMAP_FUZZ only), run by CTest for a bounded time.
function(shelfmap_fuzz name)
  if(WIN32 OR NOT SHELFMAP_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "CORPUS;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT F_SECONDS)
    set(F_SECONDS 60)
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  file(MAKE_DIRECTORY ${work})
  set(seeds "")
  if(F_CORPUS)
    set(seeds ${F_CORPUS})
  endif()
  add_test(NAME ${name}
           COMMAND ${name} -max_total_time=${F_SECONDS} -timeout=10 -rss_limit_mb=2048
                   -print_final_stats=1 ${work} ${seeds})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 LABELS fuzz)
endfunction()

# shelfmap_bench(NAME SOURCES src... [LIBS lib...]): built when asked for, never run by the tests.
function(shelfmap_bench name)
  if(WIN32 OR NOT SHELFMAP_BENCH)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
endfunction()
