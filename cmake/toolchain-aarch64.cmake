# 64-bit ARM Linux, where long double is a 128-bit quad: only the portable
# extended arithmetic can give the x87 results there. See scripts/cross-test.sh.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VANTOREL_CROSS_TRIPLE aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross-linux.cmake)
