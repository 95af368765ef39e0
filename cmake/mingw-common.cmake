# Shared by both mingw-w64 toolchain files; the posix thread model is the one set up by tools/setup.sh.
set(CMAKE_C_COMPILER ${RENOVO_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RENOVO_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${RENOVO_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${RENOVO_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest runs every test .exe through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
