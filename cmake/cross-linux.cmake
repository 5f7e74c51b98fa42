# Shared part of the cross toolchain files: Debian's cross compiler for
# VANTOREL_CROSS_TRIPLE, and qemu-user to run what it builds. ctest and
# GoogleTest's test discovery both start the test programs through
# CMAKE_CROSSCOMPILING_EMULATOR, so the tests run as if native.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${VANTOREL_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VANTOREL_CROSS_TRIPLE}-g++)

# Debian installs the target's libraries and dynamic loader here; qemu's -L
# makes the emulated programs find them.
set(CMAKE_FIND_ROOT_PATH /usr/${VANTOREL_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(VANTOREL_QEMU qemu-${CMAKE_SYSTEM_PROCESSOR} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VANTOREL_QEMU} -L /usr/${VANTOREL_CROSS_TRIPLE})
