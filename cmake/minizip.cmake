# minizip, the zip reader that comes with zlib, built from the zlib sources that Debian ships inside
# binutils-source, against the static zlib of libz-mingw-w64-dev. Extracted into the build folder at
# configure time; nothing of it lives in the repository.
file(GLOB BINUTILS_TARBALL /usr/src/binutils/binutils-*.tar.xz)
if(NOT BINUTILS_TARBALL)
  message(FATAL_ERROR "binutils-source is not installed (scripts/bootstrap installs it)")
endif()
list(GET BINUTILS_TARBALL 0 BINUTILS_TARBALL)
get_filename_component(BINUTILS_DIR_NAME ${BINUTILS_TARBALL} NAME)
string(REGEX REPLACE "\\.tar\\.xz$" "" BINUTILS_DIR_NAME ${BINUTILS_DIR_NAME})  # binutils-2.40

set(MINIZIP_DIR ${CMAKE_BINARY_DIR}/minizip)
set(MINIZIP_FILES unzip.c unzip.h ioapi.c ioapi.h crypt.h)
if(NOT EXISTS ${MINIZIP_DIR}/unzip.c)
  file(MAKE_DIRECTORY ${MINIZIP_DIR})
  set(members "")
  foreach(name ${MINIZIP_FILES})
    list(APPEND members ${BINUTILS_DIR_NAME}/zlib/contrib/minizip/${name})
  endforeach()
  execute_process(
    COMMAND tar -xJf ${BINUTILS_TARBALL} -C ${MINIZIP_DIR} --strip-components=4 ${members}
    RESULT_VARIABLE untar)
  if(NOT untar EQUAL 0)
    message(FATAL_ERROR "could not extract minizip from ${BINUTILS_TARBALL}")
  endif()
endif()

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

add_library(minizip STATIC ${MINIZIP_DIR}/unzip.c ${MINIZIP_DIR}/ioapi.c)
target_include_directories(minizip SYSTEM PUBLIC ${MINIZIP_DIR})
# Archives are never encrypted; the third-party sources are built quietly.
target_compile_definitions(minizip PUBLIC NOUNCRYPT)
target_compile_options(minizip PRIVATE -w)
target_link_libraries(minizip PUBLIC ZLIB::ZLIB)
