# 64-bit IBM Z Linux, a big-endian target: the save's little-endian words
# must read the same there. See scripts/cross-test.sh.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(VANTOREL_CROSS_TRIPLE s390x-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross-linux.cmake)
