# Test helpers. Native tests use Debian's GoogleTest; the Windows build
# compiles GoogleTest from Debian's sources with the mingw compiler.
if(WIN32)
  if(NOT TARGET gtest)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
  set(LUMORA_GTEST_MAIN gtest_main)
  set(LUMORA_GTEST gtest)
else()
  find_package(GTest REQUIRED)
  set(LUMORA_GTEST_MAIN GTest::gtest_main)
  set(LUMORA_GTEST GTest::gtest)
endif()

# lumora_unit_test(name SOURCES... LIBS...): a native GoogleTest program
# registered with CTest under the label "unit".
function(lumora_unit_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${LUMORA_GTEST_MAIN})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS unit
    ENVIRONMENT "LUMORA_CORPUS=${LUMORA_CORPUS}")
endfunction()

# lumora_wine_test(name SOURCES... LIBS...): a Windows GoogleTest program
# run under Wine and Xvfb in a fresh prefix (label "wine"). Only in the
# x86_64 tree: 32-bit programs cannot run on the build machines.
function(lumora_wine_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${LUMORA_GTEST_MAIN})
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    add_test(NAME ${name}
      COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/run-in-wine.sh $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES LABELS wine TIMEOUT 300
      ENVIRONMENT "LUMORA_BUILD_DIR=${CMAKE_BINARY_DIR}")
  else()
    # Nothing runs it here: build it only on request (keeps make test short).
    set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL TRUE)
  endif()
endfunction()
