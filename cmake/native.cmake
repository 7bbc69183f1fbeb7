# Native build: the pure core and its unit tests, with sanitizers.
option(OCURAL_SANITIZE "Build native tests with ASan and UBSan" ON)
if(OCURAL_SANITIZE)
  set(SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(ocural_core PRIVATE ${SAN_FLAGS})
  target_link_options(ocural_core PUBLIC ${SAN_FLAGS})
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
# The INI engine on plain files that the native tests run the INI contract on.
list(APPEND NATIVE_TEST_SOURCES ${CMAKE_SOURCE_DIR}/tests/common/portable_profile.cpp)
add_executable(native_tests ${NATIVE_TEST_SOURCES})
target_link_libraries(native_tests PRIVATE ocural_core GTest::gtest_main)
target_compile_options(native_tests PRIVATE ${OCURAL_WARNINGS})
if(OCURAL_SANITIZE)
  target_compile_options(native_tests PRIVATE ${SAN_FLAGS})
endif()
add_test(NAME native_tests COMMAND native_tests --gtest_brief=1)

# The program's version resource compiled alone, for the test of the reader
# that the version box uses; skipped where no MinGW resource compiler is.
find_program(OCURAL_WINDRES NAMES i686-w64-mingw32-windres x86_64-w64-mingw32-windres)
if(OCURAL_WINDRES)
  configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/version.res
    COMMAND ${OCURAL_WINDRES} -I ${CMAKE_BINARY_DIR}/generated -O res
            ${CMAKE_SOURCE_DIR}/resources/version.rc ${CMAKE_BINARY_DIR}/version.res
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/version.rc ${CMAKE_BINARY_DIR}/generated/version.h
    COMMENT "Compiling the version resource for the native tests")
  add_custom_target(ocural_version_res DEPENDS ${CMAKE_BINARY_DIR}/version.res)
  add_dependencies(native_tests ocural_version_res)
  target_include_directories(native_tests PRIVATE ${CMAKE_BINARY_DIR}/generated)
  target_compile_definitions(native_tests PRIVATE OCURAL_VERSION_RES="${CMAKE_BINARY_DIR}/version.res")
endif()
