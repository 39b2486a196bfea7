# The Windows programs for i686: built and linked only, as the build
# machines cannot run 32-bit programs.
set(MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
