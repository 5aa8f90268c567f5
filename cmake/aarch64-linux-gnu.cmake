# Cross-compiles the programs for 64-bit ARM Linux with Debian's
# g++-aarch64-linux-gnu. The tests run them under qemu-aarch64 (Debian
# package qemu-user) with the cross compiler's libraries as the root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(QEMU_AARCH64_PROGRAM qemu-aarch64)
if(QEMU_AARCH64_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_AARCH64_PROGRAM} -L /usr/aarch64-linux-gnu)
endif()

# Debian's arm64 GoogleTest (libgtest-dev:arm64, through multiarch) for the
# unit tests, where it is installed.
if(EXISTS /usr/lib/aarch64-linux-gnu/cmake/GTest/GTestConfig.cmake)
  set(GTest_DIR /usr/lib/aarch64-linux-gnu/cmake/GTest CACHE PATH "GoogleTest for arm64")
endif()
