# The browser build: the same script, window and shared procedures, compiled to WebAssembly by
# Emscripten, on the page's services (src/platform/web) instead of SDL, fontconfig, FluidSynth and
# iconv. FreeType is Debian's, built for the browser by scripts/setup --for web. Sources are chosen
# by folder: every portable folder, the portable part of src/system, and the web machine.
set(TESSARO_WEB_DEPS ${CMAKE_SOURCE_DIR}/build-web-deps CACHE PATH "Where scripts/setup --for web built FreeType")
# TESSARO_SOURCES holds the shared folders and src/platform/web (CMakeLists.txt). The story's files
# are read with the POSIX calls of the desktop's file code, which work on the page's in-memory file
# system; the authors' commands, and the aids the player takes from them (app/AuthorsAids), are
# not part of the page.
set(TESSARO_WEB_SOURCES ${TESSARO_SOURCES} ${CMAKE_SOURCE_DIR}/src/platform/sdl/Files.cpp
    ${CMAKE_SOURCE_DIR}/src/app/webmain.cpp)
list(FILTER TESSARO_WEB_SOURCES EXCLUDE REGEX "/src/author/|/src/app/AuthorsAids.cpp")

add_executable(tessaro ${TESSARO_WEB_SOURCES})
set_target_properties(tessaro PROPERTIES OUTPUT_NAME tessaro SUFFIX .js)
target_include_directories(tessaro PRIVATE ${CMAKE_SOURCE_DIR}/src ${TESSARO_WEB_DEPS}/freetype/include/freetype2)
target_compile_definitions(tessaro PRIVATE TESSARO_VERSION="${PROJECT_VERSION}")
target_compile_options(tessaro PRIVATE ${TESSARO_WARNINGS} -fexceptions -O2)
target_link_libraries(tessaro PRIVATE ${TESSARO_WEB_DEPS}/freetype/lib/libfreetype.a)
# Asyncify: the interpreter's waits are ordinary blocking calls, and each one (web_sleep) hands
# the browser back its event loop until it is over. The page starts main() itself, after the
# story's files are in and the reader has given the first gesture.
target_link_options(tessaro PRIVATE -O2 -fexceptions -sASYNCIFY -sASYNCIFY_IMPORTS=[web_sleep]
                    -sASYNCIFY_STACK_SIZE=65536 -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=33554432
                    -sINVOKE_RUN=0 -sEXIT_RUNTIME=0 -sFORCE_FILESYSTEM=1 -sENVIRONMENT=web
                    -sEXPORTED_RUNTIME_METHODS=[callMain,FS])
