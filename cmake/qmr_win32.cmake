# Windows build of qmr.dll (included by the top-level CMakeLists when the
# target is Windows). The library's own code imports only the kernel and
# the C runtime at load time: every other system library is bound at run
# time, and the C++ runtime, libgcc and winpthread are linked in statically.

# SNMPv3 goes through net-snmp, built for Windows by
# scripts/build-netsnmp-mingw.sh (static, the library only, its internal
# MD5/SHA-1/DES/AES). QMR_NETSNMP_MINGW names that build's folder; by
# default the link the script keeps to its latest build. Without it the
# top-level CMakeLists builds the SNMPv3 session library from
# src/session/v3/unavailable, whose session answers -5 (not supported).
set(QMR_NETSNMP_MINGW /var/cache/qmr/netsnmp-mingw CACHE PATH
    "net-snmp built for mingw-w64 (scripts/build-netsnmp-mingw.sh); empty for none")
if(QMR_NETSNMP_MINGW AND EXISTS ${QMR_NETSNMP_MINGW}/lib/libnetsnmp.a)
  set(NETSNMP_FOUND TRUE)
  file(REAL_PATH ${QMR_NETSNMP_MINGW} qmr_netsnmp_dir)
  message(STATUS "qmr: SNMPv3 through net-snmp from ${qmr_netsnmp_dir}")
  # net-snmp calls Winsock, the IP helper and the registry/crypto API
  # itself: load-time imports of system libraries every Windows has.
  add_library(PkgConfig::NETSNMP STATIC IMPORTED)
  set_target_properties(PkgConfig::NETSNMP PROPERTIES
    IMPORTED_LOCATION ${qmr_netsnmp_dir}/lib/libnetsnmp.a
    INTERFACE_INCLUDE_DIRECTORIES ${qmr_netsnmp_dir}/include
    INTERFACE_LINK_LIBRARIES "ws2_32;iphlpapi;advapi32")
else()
  set(NETSNMP_FOUND FALSE)
  message(STATUS "qmr: no net-snmp for this target (QMR_NETSNMP_MINGW), SNMPv3 answers -5")
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
