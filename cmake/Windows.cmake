# The Windows build: the same script, window and shared procedures, on Windows' own services
# (src/platform/win32) instead of SDL, FreeType, fontconfig, FluidSynth and iconv. One static
# tessaro.exe, nothing beside it.
add_library(tessaro_core STATIC ${TESSARO_SOURCES})
target_include_directories(tessaro_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
# GCC 12 warns of overlapping copies inside std::string that cannot happen (its bug 105329),
# seen only by this compiler's optimiser.
target_compile_options(tessaro_core PRIVATE ${TESSARO_WARNINGS} -Wno-restrict)
# UNICODE: every Windows call takes wide characters; NOMINMAX keeps std::min usable.
target_compile_definitions(tessaro_core PUBLIC TESSARO_VERSION="${PROJECT_VERSION}" UNICODE _UNICODE
                           NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
target_link_libraries(tessaro_core PUBLIC winmm gdi32 user32)

enable_language(RC)
configure_file(${CMAKE_SOURCE_DIR}/src/platform/win32/tessaro.rc.in ${CMAKE_BINARY_DIR}/tessaro.rc @ONLY)
add_executable(tessaro WIN32 ${TESSARO_ENTRY} ${CMAKE_BINARY_DIR}/tessaro.rc)
target_link_libraries(tessaro PRIVATE tessaro_core)
target_compile_options(tessaro PRIVATE ${TESSARO_WARNINGS})
# One file that runs on a bare Windows: the C++ and thread run-times linked in, symbols stripped.
target_link_options(tessaro PRIVATE -municode -static -s)

install(TARGETS tessaro RUNTIME DESTINATION .)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/story/ DESTINATION .
        PATTERN "expected-pixels.txt" EXCLUDE PATTERN ".gitattributes" EXCLUDE)
