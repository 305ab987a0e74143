# What `cmake --install` puts in a prefix for other programs: the public
# headers, the static libraries, a CMake package and pkg-config files.
include(CMakePackageConfigHelpers)

set(rt_libraries tracer timing canvas render scenefile bmpwindow png)
set(rt_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/raytracer)
set(rt_generated ${CMAKE_CURRENT_BINARY_DIR}/generated)

configure_file(${CMAKE_CURRENT_LIST_DIR}/raytracer_version.h.in ${rt_generated}/include/raytracer_version.h @ONLY)
target_include_directories(tracer PUBLIC $<BUILD_INTERFACE:${rt_generated}/include>)
target_include_directories(timing PUBLIC $<BUILD_INTERFACE:${rt_generated}/include>)

# The headers use C++17; code that inlines the vector arithmetic must round
# as the libraries were built to, or its pictures differ from theirs.
target_compile_features(tracer INTERFACE cxx_std_17)
target_compile_features(timing INTERFACE cxx_std_17)
foreach(option IN LISTS RT_ROUNDING_OPTIONS)
  target_compile_options(tracer INTERFACE $<INSTALL_INTERFACE:${option}>)
endforeach()

# Names such as libpng.a or libcanvas.a would clash with other libraries in
# a shared lib folder; the package's targets keep the short names.
foreach(library IN LISTS rt_libraries)
  set_target_properties(${library} PROPERTIES OUTPUT_NAME raytracer-${library} EXPORT_NAME ${library})
  add_library(raytracer::${library} ALIAS ${library})
endforeach()

# The cross build compiles libpng and zlib itself; they go with the package.
set(rt_bundled_png OFF)
if(TARGET bundled_png)
  set(rt_bundled_png ON)
  set_target_properties(bundled_png PROPERTIES OUTPUT_NAME raytracer-libpng)
  set_target_properties(bundled_zlib PROPERTIES OUTPUT_NAME raytracer-zlib)
endif()

# One export set per library, so that the package loads only the libraries a
# program names, and looks only for what those need from the system.
foreach(library IN LISTS rt_libraries)
  set(exported ${library})
  if(library STREQUAL "png" AND rt_bundled_png)
    list(APPEND exported bundled_png bundled_zlib)
  endif()
  install(TARGETS ${exported} EXPORT raytracer-${library}-targets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          INCLUDES DESTINATION ${RT_INSTALL_INCLUDEDIR})
  install(EXPORT raytracer-${library}-targets NAMESPACE raytracer:: DESTINATION ${rt_package_dir})
endforeach()

# The platform seam: what only the backends (and their tests) include. An SDL
# program's own event loop hands its events to windowProc, so that one is public
# with SDL; on Win32 DispatchMessageA reaches the window procedure by itself.
# The steps of the lighting model are shared by the scene and the renderer
# only, and the renderer's fast path (render/fast/) is its own business.
set(rt_private_headers window_platform.h default_font.h window_proc_win32.h clock_win32.h input_sdl.h input_win32.h
                       display_lost_sdl.h shading_steps.h toml_parser.h)
if(NOT RT_BACKEND STREQUAL "sdl2")
  list(APPEND rt_private_headers window_proc_sdl.h)
endif()
set(rt_exclusions PATTERN fast EXCLUDE)
foreach(header IN LISTS rt_private_headers)
  list(APPEND rt_exclusions PATTERN ${header} EXCLUDE)
endforeach()
install(DIRECTORY
          ${PROJECT_SOURCE_DIR}/src/math
          ${PROJECT_SOURCE_DIR}/src/geometry
          ${PROJECT_SOURCE_DIR}/src/scene
          ${PROJECT_SOURCE_DIR}/src/render
          ${PROJECT_SOURCE_DIR}/src/scenefile
          ${PROJECT_SOURCE_DIR}/src/timing
          ${PROJECT_SOURCE_DIR}/src/bmpwindow
          ${PROJECT_SOURCE_DIR}/src/png
        DESTINATION ${RT_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.h" ${rt_exclusions})
install(FILES ${rt_generated}/include/raytracer_version.h DESTINATION ${RT_INSTALL_INCLUDEDIR})

# What the installed targets link from the system, for the package to find:
# package names as find_package takes them.
set(rt_png_dependencies "")
if(NOT rt_bundled_png)
  set(rt_png_dependencies PNG)
endif()
set(rt_window_dependencies "")
set(rt_window_needs "user32, gdi32")
if(RT_BACKEND STREQUAL "sdl2")
  set(rt_window_dependencies SDL2 SDL2_ttf Fontconfig)
  if(UNIX AND NOT APPLE)  # as src/CMakeLists.txt links X11
    list(APPEND rt_window_dependencies X11)
  endif()
  list(JOIN rt_window_dependencies ", " rt_window_needs)
endif()
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/raytracerConfig.cmake.in
                              ${rt_generated}/raytracerConfig.cmake
                              INSTALL_DESTINATION ${rt_package_dir})
write_basic_package_version_file(${rt_generated}/raytracerConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${rt_generated}/raytracerConfig.cmake ${rt_generated}/raytracerConfigVersion.cmake
        DESTINATION ${rt_package_dir})

# pkg-config: one file per library. The libraries are static, so what they
# link goes in Requires and Libs, not in the private fields.
set(rt_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
string(REGEX REPLACE "[^/]+" ".." rt_pc_prefix ${rt_pc_dir})  # the prefix, from the .pc file's folder
list(JOIN RT_ROUNDING_OPTIONS " " rt_rounding_flags)

function(rt_pkg_config name description requires cflags libs)
  set(pc_name ${name})
  set(pc_description ${description})
  set(pc_requires ${requires})
  string(STRIP "-I\${includedir} ${cflags}" pc_cflags)
  string(STRIP "-L\${libdir} -lraytracer-${name} ${libs}" pc_libs)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/raytracer.pc.in ${rt_generated}/pkgconfig/raytracer-${name}.pc @ONLY)
  install(FILES ${rt_generated}/pkgconfig/raytracer-${name}.pc DESTINATION ${rt_pc_dir})
endfunction()

rt_pkg_config(tracer "Vectors, rays, planes, spheres and a scene that traces and shades them" "" "${rt_rounding_flags}" "")
rt_pkg_config(timing "A stopwatch on the platform's monotonic clock" "" "" "")
rt_pkg_config(canvas "The Canvas drawing interface and a canvas in memory" "raytracer-tracer" "" "")
rt_pkg_config(render "Cameras, and a fast renderer of any scene into any canvas" "raytracer-canvas" "" "")
rt_pkg_config(scenefile "Scenes, cameras and motion read from TOML scene files" "raytracer-render" "" "")
if(RT_BACKEND STREQUAL "win32")
  rt_pkg_config(bmpwindow "A fixed-size window showing a 32-bit pixel surface" "raytracer-canvas"
                "-DRT_BACKEND_WIN32 -DWIN32_LEAN_AND_MEAN -DNOMINMAX" "-luser32 -lgdi32")
else()
  set(rt_x11_module "")
  if(UNIX AND NOT APPLE)  # as src/CMakeLists.txt links X11
    set(rt_x11_module " x11")
  endif()
  rt_pkg_config(bmpwindow "A fixed-size window showing a 32-bit pixel surface"
                "raytracer-canvas sdl2 SDL2_ttf fontconfig${rt_x11_module}" "" "")
endif()
if(rt_bundled_png)
  rt_pkg_config(png "Saves a pixel surface as a PNG file" "raytracer-canvas" "" "-lraytracer-libpng -lraytracer-zlib")
else()
  rt_pkg_config(png "Saves a pixel surface as a PNG file" "raytracer-canvas libpng" "" "")
endif()
