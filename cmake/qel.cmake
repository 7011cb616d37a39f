# Build conventions shared by every folder.

# ccache with paths made relative to the source tree, so that clones and worktrees of the
# project share one cache.
find_program(QEL_CCACHE ccache)
if(QEL_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(QEL_CCACHE_LAUNCHER ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${CMAKE_SOURCE_DIR}
      CCACHE_NOHASHDIR=1 ${QEL_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${QEL_CCACHE_LAUNCHER})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${QEL_CCACHE_LAUNCHER})
endif()

# ctest starts the native test programs through scripts/clock-run, which moves their clock
# for scripts/test --at (Windows programs go through scripts/wine-run, the emulator).
if(NOT CMAKE_CROSSCOMPILING)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/clock-run)
endif()

if(QEL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
elseif(QEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
endif()

if(WIN32)
  # The Windows version and the lean <windows.h> for every Windows target, set here because
  # mingw's _mingw.h defines _WIN32_WINNT before any header of ours could; win.h checks it.
  add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN)
  # One statically linked .exe: no libstdc++/winpthread DLL beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_library(qel_win_system_libs INTERFACE)
  target_link_libraries(qel_win_system_libs INTERFACE
    gdiplus gdi32 comctl32 comdlg32 ole32 oleaut32 rpcrt4 uuid shell32 shlwapi ws2_32
    advapi32 version user32 kernel32 msimg32)
endif()

set(QEL_TESTS OFF)
if(NOT QEL_FUZZ)
  set(QEL_TESTS ON)
  enable_testing()
  include(FetchContent)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  FetchContent_Declare(googletest SOURCE_DIR /usr/src/googletest)
  FetchContent_MakeAvailable(googletest)
  include(GoogleTest)
endif()

# qel_test(name SOURCES a.cpp ... LIBS lib ... [LOCK resource]): one GoogleTest program, each
# case a ctest test; LOCK keeps its cases from running beside others that hold the same resource.
function(qel_test name)
  if(NOT QEL_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "LOCK" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  if(WIN32)
    target_link_libraries(${name} PRIVATE qel_win_system_libs)
  endif()
  set(lock)
  if(T_LOCK)
    set(lock RESOURCE_LOCK ${T_LOCK})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES TIMEOUT 300 ${lock}
                       ENVIRONMENT "QEL_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
