# Shared by both mingw-w64 toolchain files. The win32 thread model, not posix: the posix one
# links winpthreads, which imports GetTickCount64 and so keeps the programs off Windows XP.
set(CMAKE_C_COMPILER ${RENOVO_TRIPLET}-gcc-win32)
set(CMAKE_CXX_COMPILER ${RENOVO_TRIPLET}-g++-win32)
set(CMAKE_RC_COMPILER ${RENOVO_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${RENOVO_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest runs every test .exe through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
# That model's libstdc++ has no std::mutex: GoogleTest gets its port hook from our folder
# (-iquote is searched before its own include folder).
set(CMAKE_CXX_FLAGS_INIT "-iquote ${CMAKE_CURRENT_LIST_DIR}/gtest-win32")
