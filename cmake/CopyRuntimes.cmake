# Refreshes the build tree's runtime/ folder (see Runtimes.cmake); run as a script:
#   cmake -DSOURCE=... -DWEB=... -DWINDOWS=... -DOUT=... -P CopyRuntimes.cmake
file(MAKE_DIRECTORY ${OUT}/notices)
set(notices
    "${SOURCE}/LICENSE=Tessaro.txt"
    "/usr/share/doc/fonts-ipafont-gothic/copyright=IPA-Font-License.txt"
    "/usr/share/doc/timgm6mb-soundfont/copyright=TimGM6mb.txt"
    "/usr/share/common-licenses/GPL-2=GPL-2.txt"
    "/usr/share/common-licenses/LGPL-2.1=LGPL-2.1.txt"
    "/usr/share/doc/libfreetype6/copyright=FreeType.txt")
foreach(notice ${notices})
  string(REPLACE "=" ";" pair ${notice})
  list(GET pair 0 from)
  list(GET pair 1 to)
  if(EXISTS ${from})
    file(COPY_FILE ${from} ${OUT}/notices/${to} ONLY_IF_DIFFERENT)
  else()
    message(STATUS "runtime: no ${from}, so no notices/${to}")
  endif()
endforeach()

# A runtime is copied when it was built, and dropped when it is gone. Its files are data here
# (tessaro.exe too: the Windows zip marks it executable), so none keeps an executable mode.
set(data FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
if(EXISTS ${WEB}/tessaro.wasm AND EXISTS ${WEB}/index.html)
  file(COPY ${WEB}/ DESTINATION ${OUT}/web ${data}
       PATTERN story EXCLUDE PATTERN manifest.json EXCLUDE PATTERN *.ttf EXCLUDE PATTERN *.sf2 EXCLUDE)
else()
  file(REMOVE_RECURSE ${OUT}/web)
endif()
if(EXISTS ${WINDOWS}/tessaro.exe)
  file(MAKE_DIRECTORY ${OUT}/windows)
  file(COPY ${WINDOWS}/tessaro.exe DESTINATION ${OUT}/windows ${data})
  if(EXISTS ${WINDOWS}/licenses)
    file(COPY ${WINDOWS}/licenses DESTINATION ${OUT}/windows ${data})
  endif()
else()
  file(REMOVE_RECURSE ${OUT}/windows)
endif()
