# libFuzzer targets over the platform-free code. CTest runs each for a short
# smoke from the corpus kept in the repository; scripts/fuzz runs them longer.
set(FUZZ_SMOKE_SECONDS 10 CACHE STRING "How long each fuzzer runs in the test suite")
# Each FuzzNAME.cpp here is a target, with its corpus in corpus/NAME (scripts/fuzz finds them the same way).
file(GLOB fuzz_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/Fuzz*.cpp)
foreach(source ${fuzz_sources})
  get_filename_component(name ${source} NAME_WE)
  string(REGEX REPLACE "^Fuzz" "" name ${name})
  add_executable(Fuzz${name} ${source})
  target_include_directories(Fuzz${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(Fuzz${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(Fuzz${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(Fuzz${name} PRIVATE dr_portable_fuzz)

  set(corpus ${CMAKE_CURRENT_LIST_DIR}/corpus/${name})
  set(found ${CMAKE_BINARY_DIR}/fuzz-found/${name})  # new inputs stay in the build folder
  file(MAKE_DIRECTORY ${corpus} ${found})
  add_test(NAME fuzz_smoke_${name}
    COMMAND Fuzz${name} -max_total_time=${FUZZ_SMOKE_SECONDS} -timeout=5 -rss_limit_mb=2048
            -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz-found/ ${found} ${corpus})
  set_tests_properties(fuzz_smoke_${name} PROPERTIES TIMEOUT 60)
endforeach()
