# What `cmake --install` puts in a prefix for people to run: the programs in
# bin/, and elsewhere than Windows their manual pages, the desktop entry and
# its icons, and each Debian package's licence, changelog and notes for lintian.
set(rt_programs raytracer render-frame view-scene)
if(TARGET render-animation)
  list(APPEND rt_programs render-animation)
endif()
install(TARGETS ${rt_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)
# The shipped scene files, beside the programs on Windows.
if(WIN32)
  set(rt_scenes_dir scenes)
else()
  set(rt_scenes_dir ${CMAKE_INSTALL_DATADIR}/raytracer/scenes)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/scenes/ DESTINATION ${rt_scenes_dir} COMPONENT programs FILES_MATCHING PATTERN "*.toml")

set(rt_packaging ${PROJECT_SOURCE_DIR}/packaging)
if(WIN32)
  # Unpacked from the zip, the folder is the program's own: the notes sit at its top.
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . COMPONENT programs)
  return()
endif()

# Manual pages and changelogs go in compressed, as Debian wants them; -n keeps
# the build's time out of the bytes.
find_program(RT_GZIP gzip REQUIRED)
set(rt_compressed ${CMAKE_CURRENT_BINARY_DIR}/compressed)
function(rt_gzip source name out)
  set(copy ${rt_compressed}/${name})
  add_custom_command(OUTPUT ${copy}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
                     COMMAND ${RT_GZIP} -9nf ${copy}
                     DEPENDS ${source} VERBATIM)
  set(${out} ${copy}.gz PARENT_SCOPE)
endfunction()

set(rt_compressed_files)
foreach(program IN LISTS rt_programs)
  rt_gzip(${rt_packaging}/${program}.1 ${program}.1 page)
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT programs)
  list(APPEND rt_compressed_files ${page})
endforeach()
rt_gzip(${rt_packaging}/changelog changelog changelog)
list(APPEND rt_compressed_files ${changelog})
add_custom_target(compressed_docs ALL DEPENDS ${rt_compressed_files})

install(FILES ${rt_packaging}/raytracer.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT programs)
foreach(size 48 128 256)
  install(FILES ${rt_packaging}/icons/raytracer-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME raytracer.png COMPONENT programs)
endforeach()

# Debian looks for a package's licence in share/doc/<package>/copyright; the
# two packages cannot share one file, so each has its own copy.
foreach(pair raytracer:programs libraytracer-dev:development)
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 package)
  list(GET pair 1 component)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
          RENAME copyright COMPONENT ${component})
  install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()
install(FILES ${rt_packaging}/libraytracer-dev.lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
        RENAME libraytracer-dev COMPONENT development)
