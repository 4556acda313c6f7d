# What "tessaro publish" puts beside a story, shipped with the program in one folder, runtime/:
#   notices/   the licence texts bundles carry (Tessaro's LICENSE, and Debian's texts of the
#              IPA Font License, TimGM6mb's, the GPL 2, the LGPL 2.1 and FreeType's)
#   web/       the browser's page and program, from scripts/build-web's folder, without its story,
#              font and soundfont (publish adds the story's own, and the font cut down)
#   windows/   tessaro.exe and its runtime's notices, from scripts/build-windows's folder
# In the build tree it is build/runtime/, refreshed at every build from the folders below (a
# runtime not built there is simply absent, and publish names it); `cmake --install` and the
# Debian package carry whatever it holds to share/tessaro/runtime/.
set(TESSARO_WEB_RUNTIME ${CMAKE_SOURCE_DIR}/build-web CACHE PATH
    "The browser build's folder (scripts/build-web) that publish takes its web runtime from")
set(TESSARO_WINDOWS_RUNTIME ${CMAKE_SOURCE_DIR}/build-windows CACHE PATH
    "The Windows build's folder (scripts/build-windows) that publish takes tessaro.exe from")
add_custom_target(tessaro_runtimes ALL
                  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DWEB=${TESSARO_WEB_RUNTIME}
                          -DWINDOWS=${TESSARO_WINDOWS_RUNTIME} -DOUT=${CMAKE_BINARY_DIR}/runtime
                          -P ${CMAKE_SOURCE_DIR}/cmake/CopyRuntimes.cmake
                  VERBATIM)
install(DIRECTORY ${CMAKE_BINARY_DIR}/runtime/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tessaro/runtime
        USE_SOURCE_PERMISSIONS)
