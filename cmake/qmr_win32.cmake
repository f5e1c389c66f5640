# Windows build of qmr.dll (included by the top-level CMakeLists when the
# target is Windows). The DLL imports only the kernel and the C runtime at
# load time: every other system library is bound at run time, and the C++
# runtime, libgcc and winpthread are linked in statically.

# SNMPv3 goes through net-snmp; built for Windows it is rarely at hand.
# Without it the SNMPv3 session's sources are left out and a session that
# answers -5 (not supported) takes their place.
pkg_check_modules(NETSNMP IMPORTED_TARGET netsnmp)
file(GLOB qmr_v3_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/session/v3_*.cpp)
file(GLOB qmr_v3_unavailable CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/session/win32/v3_unavailable*.cpp)
if(NETSNMP_FOUND)
  message(STATUS "qmr: SNMPv3 through net-snmp ${NETSNMP_VERSION}")
  set_source_files_properties(${qmr_v3_unavailable} PROPERTIES HEADER_FILE_ONLY ON)
else()
  message(STATUS "qmr: no net-snmp for this target, SNMPv3 answers -5")
  set_source_files_properties(${qmr_v3_sources} PROPERTIES HEADER_FILE_ONLY ON)
  add_library(PkgConfig::NETSNMP INTERFACE IMPORTED)
endif()

# Windows headers: no min/max macros, no rarely used APIs.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

function(qmr_win32_finish)
  # -static takes libstdc++, libgcc and winpthread from their archives;
  # the system libraries stay imports.
  target_link_options(qmr PRIVATE -static -static-libstdc++ -static-libgcc)
  set_target_properties(qmr PROPERTIES PREFIX "" OUTPUT_NAME qmr
                        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  # The test programs run under wine (scripts/windows-test.sh turns them on).
  if(QMR_BUILD_TESTS)
    include(${CMAKE_SOURCE_DIR}/tests/win/win_tests.cmake)
  endif()
endfunction()
cmake_language(DEFER CALL qmr_win32_finish)
