# Helpers every module's CMakeLists uses.

# kelvarin_test(NAME SOURCES ... LIBS ...): a GoogleTest executable registered with CTest.
function(kelvarin_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE kelvarin_options ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE KELVARIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;KELVARIN_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# kelvarin_fuzz(NAME SOURCES ... LIBS ... CORPUS dir): a libFuzzer target, or with other
# compilers a replay of the committed corpus registered as a test.
function(kelvarin_fuzz name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE kelvarin_options ${F_LIBS})
  if(KELVARIN_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
    add_test(NAME ${name} COMMAND ${name} ${F_CORPUS})
  endif()
endfunction()

# kelvarin_embed(TARGET SYMBOL FILE): compile FILE into TARGET as
#   extern const unsigned char SYMBOL[]; extern const unsigned long SYMBOL_size;
function(kelvarin_embed target symbol file)
  get_filename_component(abs ${file} ABSOLUTE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/embed_${symbol}.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND embed ${abs} ${symbol} ${out}
    DEPENDS embed ${abs}
    COMMENT "Embedding ${file}")
  target_sources(${target} PRIVATE ${out})
  # The rule lives in this directory; a target here makes it run even when the library
  # was defined in another directory.
  add_custom_target(embed_${symbol} DEPENDS ${out})
  add_dependencies(${target} embed_${symbol})
endfunction()
