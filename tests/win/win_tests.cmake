# Test programs of the Windows build, run under wine by
# scripts/windows-test.sh. Google Test is compiled here from Debian's
# source package (no Windows build of it is packaged). The portable unit
# tests of the data model, codec, addresses, local tables and log are
# reused as they are; the files that need POSIX or the Linux net-snmp are
# left out, and the Windows bindings have tests of their own.
set(qmr_gtest_root /usr/src/googletest)
if(NOT EXISTS ${qmr_gtest_root}/googletest/src/gtest-all.cc)
  message(WARNING "qmr: ${qmr_gtest_root} missing (Debian package googletest): no Windows unit tests")
  return()
endif()

add_library(qmr_win_gtest STATIC
  ${qmr_gtest_root}/googletest/src/gtest-all.cc
  ${qmr_gtest_root}/googlemock/src/gmock-all.cc
  ${qmr_gtest_root}/googletest/src/gtest_main.cc)
target_include_directories(qmr_win_gtest SYSTEM PUBLIC
  ${qmr_gtest_root}/googletest/include ${qmr_gtest_root}/googlemock/include)
target_include_directories(qmr_win_gtest PRIVATE ${qmr_gtest_root}/googletest ${qmr_gtest_root}/googlemock)
# Test code is built for compile speed (see tests/CMakeLists.txt).
target_compile_options(qmr_win_gtest PRIVATE -w -O1 -g0)

set(qmr_tests ${CMAKE_SOURCE_DIR}/tests)

# qmr_win_test(name LIBRARY lib SOURCES files...)
function(qmr_win_test name)
  cmake_parse_arguments(arg "" "LIBRARY" "SOURCES" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_include_directories(${name} PRIVATE ${qmr_tests} ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/include)
  target_compile_definitions(${name} PRIVATE
    QMR_TEST_DATA_DIR="${qmr_tests}/data" QMR_BINARY_DIR="${CMAKE_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE ${arg_LIBRARY} qmr_win_gtest)
  target_compile_options(${name} PRIVATE -O0 -g0)
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <string> <vector>)
  # Self-contained programs: wine then needs no MinGW runtime DLLs.
  target_link_options(${name} PRIVATE -static -static-libstdc++ -static-libgcc)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-win)
  add_dependencies(qmr_win_tests ${name})
endfunction()

add_custom_target(qmr_win_tests)

file(GLOB log_tests CONFIGURE_DEPENDS ${qmr_tests}/log/*_test.cpp)
qmr_win_test(test_win_log LIBRARY qmr_log SOURCES ${log_tests} ${qmr_tests}/win/log_platform_win_test.cpp)

file(GLOB snmp_tests CONFIGURE_DEPENDS ${qmr_tests}/snmp/*_test.cpp)
list(FILTER snmp_tests EXCLUDE REGEX "codec_(netsnmp|quirks)_test\\.cpp$")  # checks against the Linux net-snmp
qmr_win_test(test_win_snmp LIBRARY qmr_snmp SOURCES ${snmp_tests})

qmr_win_test(test_win_net LIBRARY qmr_net SOURCES
  ${qmr_tests}/net/address_test.cpp ${qmr_tests}/net/text_and_route_test.cpp ${qmr_tests}/net/log_lines_test.cpp
  ${qmr_tests}/win/binding_win_test.cpp ${qmr_tests}/win/numeric_address_win_test.cpp)

qmr_win_test(test_win_session LIBRARY qmr_session SOURCES
  ${qmr_tests}/session/local_tables_test.cpp ${qmr_tests}/win/local_tables_win_test.cpp)
if(NOT NETSNMP_FOUND)
  target_sources(test_win_session PRIVATE ${qmr_tests}/win/v3_unavailable_win_test.cpp)
endif()

# The DLL through its exported functions only, loaded as a host loads it;
# beside the DLL so that LoadLibraryA finds it by name.
add_executable(qmr_records_dump ${qmr_tests}/win/records_dump.cpp)
target_include_directories(qmr_records_dump PRIVATE ${CMAKE_SOURCE_DIR}/include)
target_link_options(qmr_records_dump PRIVATE -static -static-libstdc++ -static-libgcc)
set_target_properties(qmr_records_dump PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(qmr_records_dump qmr)
add_dependencies(qmr_win_tests qmr_records_dump)
