# Native build of the portable logic, with sanitizers, for fast unit tests.
option(VANDREL_SANITIZE "Build with AddressSanitizer and UBSan" ON)
set(SAN_FLAGS "")
if(VANDREL_SANITIZE)
  set(SAN_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
endif()
# Every Log format is checked against its arguments (log.h declares it printf-like).
add_compile_options(-Wall -Wextra -Werror=format ${SAN_FLAGS})
add_link_options(${SAN_FLAGS})

add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_library(vandrel_portable STATIC ${PORTABLE_SOURCES})
target_include_directories(vandrel_portable PUBLIC ${CMAKE_SOURCE_DIR}/src)

add_executable(unit_tests ${UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE vandrel_portable gtest_main)
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
# Data files shared by the tests of both builds (and the publisher's).
target_compile_definitions(unit_tests PRIVATE VANDREL_FIXTURES="${CMAKE_SOURCE_DIR}/tests/fixtures/")
