# Cross toolchain for Windows with mingw-w64 (posix threads).
# PELMORA_ARCH selects the target: i686 (the shipped program) or x86_64.
if(NOT DEFINED PELMORA_ARCH)
  set(PELMORA_ARCH i686)
endif()
set(PELMORA_ARCH ${PELMORA_ARCH} CACHE STRING "i686 or x86_64" FORCE)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${PELMORA_ARCH})
set(_triple ${PELMORA_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under Wine through this launcher.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
