# The game for Windows, cross-built with a toolchain file of cmake/ (tools/windows/build.sh).
# The game folders are compiled against the system's own <windows.h>, <ddraw.h> and
# <dinput.h>; of platform/ only the framework part Windows lacks is built: what both systems
# share (platform/afx.cpp) and its Win32 side (platform/*_win32.cpp). Nothing of SDL or of
# the Linux stand-ins goes in.

enable_language(RC)

# Names as the system declares them: no min/max macros, no rarely used headers.
target_compile_definitions(lorvex_game PUBLIC NOMINMAX WIN32_LEAN_AND_MEAN)

file(GLOB PLATFORM_SOURCES CONFIGURE_DEPENDS platform/*_win32.cpp)
add_library(lorvex_platform STATIC platform/afx.cpp ${PLATFORM_SOURCES})
target_link_libraries(lorvex_platform PUBLIC lorvex_game)

# One file: the C++ runtime inside it, a window and no console.
add_executable(lorvex WIN32 app/main.cpp res/lorvex.rc)
set_source_files_properties(res/lorvex.rc PROPERTIES INCLUDE_DIRECTORIES ${PROJECT_SOURCE_DIR}/res)
target_link_libraries(lorvex PRIVATE lorvex_game lorvex_platform ddraw dinput dxguid gdi32 user32 advapi32)
target_link_options(lorvex PRIVATE -static-libgcc -static-libstdc++ $<$<CONFIG:Release,MinSizeRel>:-s>)

# The zip a player unpacks: the program and how to play it (CRLF, for Notepad).
include(${CMAKE_CURRENT_LIST_DIR}/Changelog.cmake)
lorvex_read_changelog()
configure_file(packaging/how-to-play.txt ${PROJECT_BINARY_DIR}/How\ to\ play.txt NEWLINE_STYLE CRLF)
install(TARGETS lorvex RUNTIME DESTINATION .)
install(FILES "${PROJECT_BINARY_DIR}/How to play.txt" DESTINATION .)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(arch x64)
else()
  set(arch x86)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME lorvex)
set(CPACK_PACKAGE_VERSION ${LORVEX_VERSION})
set(CPACK_PACKAGE_FILE_NAME lorvex-${LORVEX_VERSION}-windows-${arch})
include(CPack)
