# The product's mingw-w64 toolchain; -static on top keeps the tests free of
# mingw DLLs, so wine runs them without any search path set up.
include(${CMAKE_CURRENT_LIST_DIR}/../../../cmake/mingw-w64-x86_64.cmake)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
