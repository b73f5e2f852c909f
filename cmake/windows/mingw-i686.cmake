# Toolchain for the rewriters' Windows DLLs, 32-bit (i686, __stdcall exports), with mingw-w64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(NOCTAMBU_WINDOWS_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# The .def files name the undecorated exports; the linker finds the __stdcall symbol
# NAME@12 behind each.
string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " -Wl,--enable-stdcall-fixup")
