# Windows build: static, -Wall -Wextra clean, GUI subsystem for the launcher.
enable_language(RC)
add_compile_options(-Wall -Wextra)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
add_link_options(-static -static-libgcc -static-libstdc++)

add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(cmake/minizip.cmake)

set(WIN_LIBS winhttp bcrypt crypt32 advapi32 shell32 ole32 oleaut32 uuid gdiplus gdi32 user32 shlwapi version)

# Everything but the entry point goes into one library shared by launcher.exe and the test binary.
set(LIB_SOURCES ${ALL_SOURCES})
list(FILTER LIB_SOURCES EXCLUDE REGEX "src/core/main_win\\.cpp$")
add_library(vandrel STATIC ${LIB_SOURCES})
target_include_directories(vandrel PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(vandrel PUBLIC minizip ${WIN_LIBS})

# Build stamp: regenerated whenever a source file changes, so it names the build that made the binary.
set(STAMP_HEADER ${CMAKE_BINARY_DIR}/generated/generated_build_stamp.h)
add_custom_command(
  OUTPUT ${STAMP_HEADER}
  COMMAND ${CMAKE_COMMAND} -DOUT=${STAMP_HEADER} -P ${CMAKE_SOURCE_DIR}/cmake/stamp.cmake
  DEPENDS ${ALL_SOURCES} ${ALL_HEADERS} ${CMAKE_SOURCE_DIR}/src/resources/launcher.rc
  COMMENT "Writing build stamp")
add_custom_target(build_stamp DEPENDS ${STAMP_HEADER})
add_dependencies(vandrel build_stamp)

add_executable(launcher WIN32 src/core/main_win.cpp src/resources/launcher.rc)
target_link_libraries(launcher PRIVATE vandrel)
set_source_files_properties(src/resources/launcher.rc PROPERTIES OBJECT_DEPENDS ${STAMP_HEADER})
target_include_directories(launcher PRIVATE ${CMAKE_BINARY_DIR}/generated)

# Tests of the portable logic also run here: the Windows runtime differs (regex stack, wchar_t, CRT).
file(GLOB_RECURSE WIN_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*_win.cpp)
add_executable(win_tests ${UNIT_TESTS} ${WIN_TESTS} ${WIN_TEST_SUPPORT})
target_link_libraries(win_tests PRIVATE vandrel gtest_main)
target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)

# Stand-in game client for tests and the demo.
add_executable(qarlokclient WIN32 tools/qarlokclient/qarlokclient.cpp)

# Trusts the test bench's certificate authority inside the private Wine prefix (never the host's store).
add_executable(trustca tools/trustca/trustca.cpp)
target_link_libraries(trustca PRIVATE crypt32)

# Benchmarks (make bench): console program over the same library.
add_executable(bench_win bench/bench_win.cpp)
target_link_libraries(bench_win PRIVATE vandrel)
