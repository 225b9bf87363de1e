# The game for the browser, built with Emscripten (tools/web/build.sh): the same game folders
# on the same SDL2 stand-ins of platform/ as on Linux, with the browser's own parts
# (platform/*_web.cpp) beside them, linked with SDL2, SDL2_ttf and FreeType built for
# WebAssembly from Debian's source packages (tools/web/build-libs.sh). The output folder then
# holds what a web host serves: index.html, lorvex.js, lorvex.wasm, the icons, the web app's
# manifest and (written by tools/web/build.sh, named for the build) its service worker.

set(LORVEX_WEB_LIBS "" CACHE PATH "Folder with lib/ and include/SDL2 of the WebAssembly libraries")
if(NOT EXISTS "${LORVEX_WEB_LIBS}/lib/libSDL2.a")
  message(FATAL_ERROR "LORVEX_WEB_LIBS must name the folder tools/web/build-libs.sh made")
endif()
add_library(web_sdl INTERFACE)
target_include_directories(web_sdl INTERFACE ${LORVEX_WEB_LIBS}/include/SDL2)
target_link_libraries(web_sdl INTERFACE ${LORVEX_WEB_LIBS}/lib/libSDL2_ttf.a
                      ${LORVEX_WEB_LIBS}/lib/libfreetype.a ${LORVEX_WEB_LIBS}/lib/libSDL2.a)

file(GLOB PLATFORM_SOURCES CONFIGURE_DEPENDS platform/*.cpp)
list(FILTER PLATFORM_SOURCES EXCLUDE REGEX "_(win32|posix|desktop)\\.cpp$")  # Windows' and the desktop's own
# Objects, not an archive: a definition made twice fails the link instead of one being picked.
add_library(lorvex_platform OBJECT ${PLATFORM_SOURCES})
set_source_files_properties(platform/memcmp_web.cpp PROPERTIES COMPILE_OPTIONS -fno-builtin)
target_include_directories(lorvex_platform PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(lorvex_platform PRIVATE web_sdl lorvex_fonts PUBLIC lorvex_resources)

# Small before fast: the download is what a phone waits for, and a frame costs little either way.
# Bulk memory makes each copy, such as a picture blitted whole, one instruction of the machine's.
foreach(target lorvex_game lorvex_platform)
  target_compile_options(${target} PRIVATE -Oz -mbulk-memory)
endforeach()

# Online, on the browser's own WebSocket.
set(WEB_NET_SOURCES ${NET_SOURCES} net/transport_web.cpp net/online_start.cpp)
set_source_files_properties(${WEB_NET_SOURCES} PROPERTIES COMPILE_OPTIONS "-Oz;-mbulk-memory")

add_executable(lorvex app/main.cpp ${WEB_NET_SOURCES})
target_link_libraries(lorvex PRIVATE lorvex_game lorvex_platform web_sdl)
# ASYNCIFY lets the game's blocking message loop hand control back to the browser whenever it
# waits for an event. Only the functions on the stack while it sleeps are instrumented: main and
# the framework's loop, into which GetMessageA and its wait are inlined (with every function
# instrumented the program was a third larger; a function missing here stops the game at its
# first sleep, which the browser check sees). The runtime ends with the program, so the page
# learns of the end. The picture is drawn on a 2D canvas by SDL's software renderer: there is no
# WebGL to link.
set(sleeping "main,CWinApp::Run()")
target_link_options(lorvex PRIVATE
  -Oz -mbulk-memory -sASYNCIFY "-sASYNCIFY_ONLY=[${sleeping}]" -sASYNCIFY_IMPORTS=[lorvex_sleep_until_input]
  --js-library ${PROJECT_SOURCE_DIR}/platform/event_wait_web.js -lwebsocket.js -sASYNCIFY_STACK_SIZE=16384 -sEXIT_RUNTIME=1
  -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=33554432 -sTOTAL_STACK=1048576
  -sMALLOC=emmalloc "-sINCOMING_MODULE_JS_API=[canvas,thisProgram,arguments,print,printErr,onRuntimeInitialized,onExit,onAbort]")
set_property(TARGET lorvex APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/platform/event_wait_web.js)

# The replay of a recorded stream of keys, for node: its hashes must be the desktop's.
add_executable(lorvex_replay tools/replay/replay.cpp net/lockstep.cpp net/state_hash.cpp)
target_link_libraries(lorvex_replay PRIVATE lorvex_game lorvex_platform web_sdl)
target_link_options(lorvex_replay PRIVATE -mbulk-memory -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1 -sALLOW_MEMORY_GROWTH=1
                    -sWASM_ASYNC_COMPILATION=0  # node's own fetch cannot load a file
                    --js-library ${PROJECT_SOURCE_DIR}/platform/event_wait_web.js)

# The page, its small icon and the manifest (tools/web/build.sh adds the large icons) that makes it an installable app, beside the program.
configure_file(tools/web/index.html ${PROJECT_BINARY_DIR}/index.html COPYONLY)
configure_file(tools/web/lorvex.webmanifest ${PROJECT_BINARY_DIR}/lorvex.webmanifest COPYONLY)
configure_file(res/lorvex-64.png ${PROJECT_BINARY_DIR}/lorvex.png COPYONLY)
