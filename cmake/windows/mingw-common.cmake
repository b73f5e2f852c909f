# What both Windows targets share: the cross compilers, and a runtime linked in statically so
# that the DLLs import from Windows' own DLLs only. Included by mingw-<arch>.cmake.
set(CMAKE_C_COMPILER ${NOCTAMBU_WINDOWS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${NOCTAMBU_WINDOWS_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${NOCTAMBU_WINDOWS_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${NOCTAMBU_WINDOWS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# No build type: these are all the flags.
set(CMAKE_CXX_FLAGS_INIT "-O2 -Wall -Wextra -Wpedantic -Werror")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -s")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -s")
