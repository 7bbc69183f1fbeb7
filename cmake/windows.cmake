# Windows build (MinGW-w64 i686 or a native Windows toolchain): Ocural.exe,
# the Win32 unit tests and the end-to-end driver.
find_package(Python3 COMPONENTS Interpreter REQUIRED)

set(ART_DIR ${CMAKE_BINARY_DIR}/art)
add_custom_command(
  OUTPUT ${ART_DIR}/ocural.ico ${ART_DIR}/hand.cur
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/resources/make_art.py ${ART_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/make_art.py
  COMMENT "Drawing the icon and the cursor")
add_custom_target(ocural_art DEPENDS ${ART_DIR}/ocural.ico ${ART_DIR}/hand.cur)

# The bundled skins beside the program, and a first settings file naming one.
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/round.vsk ${CMAKE_BINARY_DIR}/plain.vsk
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/skins/make_skins.py ${CMAKE_BINARY_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/skins/make_skins.py
  COMMENT "Drawing the bundled skins")
add_custom_target(ocural_skins ALL
  DEPENDS ${CMAKE_BINARY_DIR}/round.vsk ${CMAKE_BINARY_DIR}/plain.vsk
  COMMAND ${CMAKE_COMMAND} -DINI=${CMAKE_BINARY_DIR}/Ocural.ini -P ${CMAKE_SOURCE_DIR}/cmake/default_settings.cmake)

configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)

if(MINGW)
  set(OCURAL_STATIC -static -static-libgcc -static-libstdc++)
  # Hardening for everything built here (scripts/check_hardening.py checks the
  # result): stack canaries and checked memory and string calls (libssp,
  # linked statically by -static), a relocatable image that takes ASLR, DEP,
  # terminal-server aware, and on 32 bits the whole 4 GB of a 64-bit system.
  set(OCURAL_HARDEN_COMPILE -fstack-protector-strong -D_FORTIFY_SOURCE=2)
  set(OCURAL_HARDEN_LINK -fstack-protector-strong -Wl,--dynamicbase,--nxcompat,--tsaware)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    list(APPEND OCURAL_HARDEN_LINK -Wl,--high-entropy-va)
  else()
    # GCC's 32-bit code unwinds with DWARF tables and registers no SEH
    # handlers, and GNU ld writes no SafeSEH table: --no-seh says so in the
    # header, and the system then calls no handler inside this image at all.
    list(APPEND OCURAL_HARDEN_LINK -Wl,--large-address-aware,--no-seh)
  endif()
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:${OCURAL_HARDEN_COMPILE}>")
  add_link_options(${OCURAL_HARDEN_LINK})
  target_compile_options(ocural_core PRIVATE ${OCURAL_HARDEN_COMPILE})
endif()
# No version.dll: the version box reads the resource itself (see
# platform/core/version_resource.h).
set(OCURAL_WIN_LIBS gdi32 user32 shell32 shlwapi ole32 uuid)

# Everything of the program but its entry point, so tests can link it.
file(GLOB OCURAL_APP_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/platform/win/*.cpp
  ${CMAKE_SOURCE_DIR}/magnifier/*.cpp
  ${CMAKE_SOURCE_DIR}/skin/*.cpp
  ${CMAKE_SOURCE_DIR}/settings/*.cpp
  ${CMAKE_SOURCE_DIR}/colorpick/*.cpp
  ${CMAKE_SOURCE_DIR}/controller/*.cpp)
list(FILTER OCURAL_APP_SOURCES EXCLUDE REGEX "WinMain\\.cpp$")
add_library(ocural_app STATIC ${OCURAL_APP_SOURCES})
target_include_directories(ocural_app PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
target_compile_definitions(ocural_app PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_compile_options(ocural_app PRIVATE ${OCURAL_WARNINGS})
target_link_libraries(ocural_app PUBLIC ocural_core ${OCURAL_WIN_LIBS})
target_compile_definitions(ocural_core PUBLIC NOMINMAX)

add_executable(Ocural WIN32 ${CMAKE_SOURCE_DIR}/magnifier/WinMain.cpp ${CMAKE_SOURCE_DIR}/resources/Ocural.rc)
add_dependencies(Ocural ocural_art ocural_skins)
target_include_directories(Ocural PRIVATE ${ART_DIR} ${CMAKE_SOURCE_DIR}/resources ${CMAKE_BINARY_DIR}/generated)
target_compile_options(Ocural PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${OCURAL_WARNINGS}>)
target_link_libraries(Ocural PRIVATE ocural_app)
target_link_options(Ocural PRIVATE ${OCURAL_STATIC})
# The debugging information goes into Ocural.exe.debug beside the program (a
# debugger finds it through the link left in the exe). Wine reads every
# section of an exe into memory, so carried inside it would cost megabytes.
if(MINGW AND CMAKE_OBJCOPY)
  add_custom_command(TARGET Ocural POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug Ocural.exe Ocural.exe.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=Ocural.exe.debug Ocural.exe
    WORKING_DIRECTORY $<TARGET_FILE_DIR:Ocural>
    COMMENT "Keeping the debugging information beside Ocural.exe")
endif()
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/Ocural.rc PROPERTIES
  OBJECT_DEPENDS "${ART_DIR}/ocural.ico;${ART_DIR}/hand.cur;${CMAKE_SOURCE_DIR}/resources/Ocural.manifest;${CMAKE_SOURCE_DIR}/resources/version.rc;${CMAKE_BINARY_DIR}/generated/version.h")

# GoogleTest, cross-compiled from the Debian sources.
if(EXISTS ${GTEST_SOURCE_DIR}/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

  function(ocural_win_test name)
    file(GLOB srcs CONFIGURE_DEPENDS ${ARGN})
    add_executable(${name} ${srcs})
    target_link_libraries(${name} PRIVATE ocural_app GTest::gtest)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_options(${name} PRIVATE ${OCURAL_WARNINGS})
    target_link_options(${name} PRIVATE ${OCURAL_STATIC})
  endfunction()

  ocural_win_test(win_tests ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
  add_dependencies(win_tests ocural_art)
  target_include_directories(win_tests PRIVATE ${ART_DIR})
  add_test(NAME win_tests COMMAND win_tests --gtest_brief=1)

  ocural_win_test(e2e_tests ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
  add_dependencies(e2e_tests Ocural)
  # The tests read the program's version the system's way, to compare.
  target_link_libraries(e2e_tests PRIVATE version)
  add_test(NAME e2e_tests COMMAND e2e_tests --gtest_brief=1)
  set_tests_properties(win_tests e2e_tests PROPERTIES TIMEOUT 600)

  # Each file in bench/ is a program of its own that prints its figures.
  file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
  foreach(src ${BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE ocural_app)
    target_compile_options(${name} PRIVATE ${OCURAL_WARNINGS})
    target_link_options(${name} PRIVATE ${OCURAL_STATIC})
  endforeach()
endif()
