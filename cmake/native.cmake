# Native Linux build: the core with GoogleTest tests, Google Benchmark benchmarks and fuzzers.
enable_testing()

if(PINOTE_TESTS)
  find_package(GTest REQUIRED)
  file(GLOB CORE_TEST_SOURCES CONFIGURE_DEPENDS tests/core/*.cpp)
  add_executable(core_tests ${CORE_TEST_SOURCES})
  target_link_libraries(core_tests PRIVATE pinote_core GTest::gtest GTest::gtest_main)
  target_compile_definitions(core_tests PRIVATE
    PINOTE_CORPUS_DIR="${CMAKE_SOURCE_DIR}/tests/data")
  include(GoogleTest)
  gtest_discover_tests(core_tests DISCOVERY_TIMEOUT 60)
endif()

if(PINOTE_BENCH)
  find_package(benchmark REQUIRED)
  file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS bench/*.cpp)
  if(BENCH_SOURCES)
    add_executable(core_bench ${BENCH_SOURCES})
    target_link_libraries(core_bench PRIVATE pinote_core benchmark::benchmark benchmark::benchmark_main)
  endif()
  # The data of the stand-in host's benchmark session, the same as core_bench uses.
  add_executable(bench_host_data bench/host/make_data.cpp)
  target_include_directories(bench_host_data PRIVATE bench)
  target_link_libraries(bench_host_data PRIVATE pinote_core)
endif()

if(PINOTE_FUZZ)
  file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS fuzz/*.cpp)
  foreach(src ${FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(fuzz_${name} ${src})
    target_link_libraries(fuzz_${name} PRIVATE pinote_core)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  endforeach()
endif()

# The release packing (scripts/release.py): version names, the DLL check, help pages, archive.
if(PINOTE_TESTS)
  find_package(Python3 COMPONENTS Interpreter)
  if(Python3_FOUND)
    add_test(NAME release_packing
      COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/release/packing_test.py)
  endif()
endif()
