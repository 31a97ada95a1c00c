# Test helpers.
#
# Natively, GoogleTest comes from the system package; for the Windows cross
# build it is compiled from the sources that the googletest package installs
# under /usr/src/googletest, with the cross compiler.

# kestrine_add_gtest is defined either way; it does nothing when tests are off.
if(KESTRINE_TESTS)
enable_testing()

if(CMAKE_CROSSCOMPILING)
  set(_gtest_src /usr/src/googletest)
  if(NOT EXISTS ${_gtest_src}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${_gtest_src} (install the googletest package)")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${_gtest_src} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL SYSTEM)
  foreach(lib gtest gtest_main gmock)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
else()
  find_package(GTest REQUIRED)
  find_package(Threads REQUIRED)
endif()
include(GoogleTest)
endif()

# kestrine_add_gtest(NAME SOURCES src... [LIBS lib...] [LABELS label...] [WINDOWS_DISPLAY])
#
# One test executable. Natively each GoogleTest case becomes its own CTest
# test; under the cross build the whole executable is one CTest test run
# through the emulator (Wine), since discovering cases through Wine costs a
# Wine start per executable at build time.
function(kestrine_add_gtest name)
  cmake_parse_arguments(T "WINDOWS_DISPLAY" "" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT KESTRINE_TESTS)
    return()
  endif()
  if(KESTRINE_TEST_LABEL AND NOT KESTRINE_TEST_LABEL IN_LIST T_LABELS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gtest kestrine_options)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  else()
    gtest_discover_tests(${name} PROPERTIES LABELS "${T_LABELS}" DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# A test program that opens the effect's editor in a real window: the
# module's pictures and font embedded from the module's own list, and on
# Linux the sanitizer settings of the OpenGL tests (the software driver's
# JIT allocations cannot be attributed, so leak checking is off).
function(kestrine_editor_test target)
  if(NOT TARGET ${target})
    return()
  endif()
  kestrine_embed_resources(${target} ${PROJECT_SOURCE_DIR}/Examples/Kestrine/resources/resources.txt)
  if(NOT WIN32)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/Tests/IGraphics/OpenGLSanitizerOptions.cpp)
    target_compile_definitions(${target} PRIVATE KESTRINE_NO_LEAK_CHECK)
  endif()
endfunction()
