# Cross-compiles the programs for Linux on another processor with Debian's
# cross compiler for CROSS_TRIPLET, the GNU type of its target:
#
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/cross-linux-gnu.cmake \
#         -DCROSS_TRIPLET=arm-linux-gnueabihf
#
# (`dpkg-architecture -a ARCH -qDEB_HOST_GNU_TYPE` gives it for a Debian
# architecture). The tests run the programs under qemu-user.
if(NOT CROSS_TRIPLET)
  message(FATAL_ERROR "Name the target with -DCROSS_TRIPLET=..., such as aarch64-linux-gnu")
endif()
# Checks that CMake compiles in folders of their own read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CROSS_TRIPLET)

set(CMAKE_SYSTEM_NAME Linux)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR "${CROSS_TRIPLET}")
set(CMAKE_CXX_COMPILER ${CROSS_TRIPLET}-g++)

set(cross_root /usr/${CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH ${cross_root})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# qemu-user names two processors its own way.
set(qemu_processor ${CMAKE_SYSTEM_PROCESSOR})
if(qemu_processor MATCHES "^i.86$")
  set(qemu_processor i386)
elseif(qemu_processor STREQUAL "powerpc64le")
  set(qemu_processor ppc64le)
endif()
find_program(QEMU_PROGRAM qemu-${qemu_processor})
# The loader comes from the cross compiler's root, and so must every
# library: its default folders would also reach Debian's own build of the
# C library for this processor (/lib/TRIPLET, installed through multiarch),
# and two builds of one C library in one process can crash it.
if(QEMU_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_PROGRAM} -L ${cross_root} -E LD_LIBRARY_PATH=${cross_root}/lib
      CACHE STRING "How this build's programs run here")
endif()

# Debian's GoogleTest for this processor (libgtest-dev:ARCH, through
# multiarch), where it is installed, for the unit tests.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-multiarch OUTPUT_VARIABLE multiarch_folder
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(multiarch_folder AND EXISTS /usr/lib/${multiarch_folder}/cmake/GTest/GTestConfig.cmake)
  set(GTest_DIR /usr/lib/${multiarch_folder}/cmake/GTest CACHE PATH "GoogleTest for ${CROSS_TRIPLET}")
endif()
