# Windows build: static, -Wall -Wextra clean, GUI subsystem for the launcher.
enable_language(RC)
# Every Log format is checked against its arguments (log.h declares it printf-like).
add_compile_options(-Wall -Wextra -Werror=format)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
add_link_options(-static -static-libgcc -static-libstdc++)

add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(cmake/minizip.cmake)

set(WIN_LIBS winhttp crypt32 bcrypt advapi32 shell32 ole32 oleaut32 uuid gdiplus gdi32 user32 shlwapi version)

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
          ${CMAKE_SOURCE_DIR}/src/resources/launcher.manifest
  COMMENT "Writing build stamp")
add_custom_target(build_stamp DEPENDS ${STAMP_HEADER})
add_dependencies(vandrel build_stamp)

# The entry point and the resources, compiled once for launcher.exe and for the launchers that carry a key.
add_library(launcher_main OBJECT src/core/main_win.cpp src/resources/launcher.rc)
target_link_libraries(launcher_main PUBLIC vandrel)
# The resource script embeds the rendered art; a new picture must rebuild it.
set(ART_FILES background.jpg logo.png flags.png launcher.ico)
list(TRANSFORM ART_FILES PREPEND ${CMAKE_SOURCE_DIR}/src/resources/)
set_source_files_properties(src/resources/launcher.rc PROPERTIES OBJECT_DEPENDS "${STAMP_HEADER};${ART_FILES}")
target_include_directories(launcher_main PRIVATE ${CMAKE_BINARY_DIR}/generated)

# A launcher that embeds a public-key file (made by "publicar.py clave") as one more resource object, and so
# accepts manifest.json and launcher.json only when signed with the matching private key.
function(add_keyed_launcher target key_file)
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}_clave.rc)
  file(CONFIGURE OUTPUT ${rc} @ONLY CONTENT
       "#include \"resources/resource_ids.h\"\nLANGUAGE 0x09, 0x01\nIDR_SIGNING_KEY RCDATA \"${key_file}\"\n")
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${key_file})
  add_executable(${target} WIN32 ${rc})
  target_link_libraries(${target} PRIVATE launcher_main vandrel)
endfunction()

# Release builds name the operator's public key: cmake -DVANDREL_CLAVE_PUBLICA=/ruta/clave-publica.txt
set(VANDREL_CLAVE_PUBLICA "" CACHE FILEPATH "Public-key file that launcher.exe embeds; empty for a launcher without a key")
if(VANDREL_CLAVE_PUBLICA)
  get_filename_component(release_key ${VANDREL_CLAVE_PUBLICA} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
  if(NOT EXISTS ${release_key})
    message(FATAL_ERROR "VANDREL_CLAVE_PUBLICA: ${release_key} does not exist")
  endif()
  file(READ ${release_key} key_text)
  if(NOT key_text MATCHES "(^|\n)p256 [0-9a-fA-F]+\r?(\n|$)")
    message(FATAL_ERROR "VANDREL_CLAVE_PUBLICA: ${release_key} is not a public-key file of publicar.py clave")
  endif()
  add_keyed_launcher(launcher ${release_key})
else()
  add_executable(launcher WIN32)
  target_link_libraries(launcher PRIVATE launcher_main vandrel)
endif()

# The tests' key pair, made once per build folder by the publisher, and the launcher that carries its public half.
# Debian's Python, whose python3-cryptography the publisher signs with (scripts/bootstrap installs it).
find_program(VANDREL_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
set(TEST_KEY_DIR ${CMAKE_BINARY_DIR}/clave-pruebas)
add_custom_command(
  OUTPUT ${TEST_KEY_DIR}/clave-publica.txt
  COMMAND ${CMAKE_COMMAND} -E rm -f ${TEST_KEY_DIR}/clave-publica.txt ${TEST_KEY_DIR}/clave-privada.pem
  COMMAND ${VANDREL_PYTHON} ${CMAKE_SOURCE_DIR}/tools/publicar.py clave --privada ${TEST_KEY_DIR}/clave-privada.pem
          --publica ${TEST_KEY_DIR}/clave-publica.txt > /dev/null
  COMMENT "Making the tests' signing key")
add_custom_target(test_key DEPENDS ${TEST_KEY_DIR}/clave-publica.txt)
add_keyed_launcher(launcher_firmado ${TEST_KEY_DIR}/clave-publica.txt)
add_dependencies(launcher_firmado test_key)

# The demo's launcher: scripts/demo writes the public key of the key pair it makes here, then builds it.
add_keyed_launcher(launcher_demo ${CMAKE_BINARY_DIR}/clave-demo/clave-publica.txt)
set_target_properties(launcher_demo PROPERTIES EXCLUDE_FROM_ALL ON)

# Tests of the portable logic also run here: the Windows runtime differs (regex stack, wchar_t, CRT).
file(GLOB_RECURSE WIN_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*_win.cpp)
add_executable(win_tests ${UNIT_TESTS} ${WIN_TESTS} ${WIN_TEST_SUPPORT})
target_link_libraries(win_tests PRIVATE vandrel gtest_main)
target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
# Under Wine the build tree is reached through drive Z:.
target_compile_definitions(win_tests PRIVATE VANDREL_FIXTURES="Z:${CMAKE_SOURCE_DIR}/tests/fixtures/")

# Stand-in game client for tests and the demo.
add_executable(qarlokclient WIN32 tools/qarlokclient/qarlokclient.cpp tools/qarlokclient/qarlokclient.rc)
target_include_directories(qarlokclient PRIVATE ${CMAKE_SOURCE_DIR}/src)
set_source_files_properties(tools/qarlokclient/qarlokclient.rc PROPERTIES
                            OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/launcher.manifest)

# Trusts the test bench's certificate authority inside the private Wine prefix (never the host's store).
add_executable(trustca tools/trustca/trustca.cpp)
target_link_libraries(trustca PRIVATE crypt32)

# Benchmarks (make bench): console program over the same library.
add_executable(bench_win bench/bench_win.cpp)
target_link_libraries(bench_win PRIVATE vandrel)

# Reference program of the start-up benchmark (scripts/bench-window).
add_executable(first_frame WIN32 bench/first_frame_win.cpp)

# Painting benchmark (make bench); it carries the launcher's resources so that it draws its pictures.
add_executable(bench_paint bench/bench_paint_win.cpp src/resources/launcher.rc)
target_link_libraries(bench_paint PRIVATE vandrel)
target_include_directories(bench_paint PRIVATE ${CMAKE_BINARY_DIR}/generated)

# Off-screen screenshots (make screens, and make test), with the launcher's pictures too.
add_executable(screens tools/screens/screens_win.cpp src/resources/launcher.rc)
target_link_libraries(screens PRIVATE vandrel)
target_include_directories(screens PRIVATE ${CMAKE_BINARY_DIR}/generated)
