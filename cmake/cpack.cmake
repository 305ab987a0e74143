# `cpack` in a build tree: on Windows a zip of the programs with README and
# LICENSE; elsewhere the Debian packages raytracer (the programs, their pages,
# desktop entry and icon) and libraytracer-dev (what a program of one's own
# builds against). Build the packages from a tree configured with
# -DCMAKE_INSTALL_PREFIX=/usr, so that the libraries land in Debian's
# multiarch folder.
set(RT_PACKAGE_CONTACT "The raytracer developers <raytracer@example.org>" CACHE STRING
    "Maintainer named in the packages")

set(CPACK_PACKAGE_NAME raytracer)
set(CPACK_PACKAGE_VENDOR "The raytracer developers")
set(CPACK_PACKAGE_CONTACT "${RT_PACKAGE_CONTACT}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
# Packages are made from the install rules alone, never from the source tree.
set(CPACK_SOURCE_GENERATOR "")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  # Only the programs and their notes: the libraries are for `cmake --install`.
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};programs;/")
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL programs development)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # dpkg-shlibdeps reads the programs' shared libraries and names their packages.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The first line of each description is the package's synopsis.

  set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME raytracer)
  set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PROGRAMS_DESCRIPTION
"real-time ray tracer of an animated scene
raytracer animates a fixed scene in a 400 x 400 window: a mirror-like
floor, a wall, a red and a green sphere and a point light circling above
them, tracing every pixel of every frame anew on one CPU thread, with
ambient, diffuse and specular light, hard shadows and mirror reflection.
.
render-frame writes the picture at any time of the animation as a PNG,
with no display, and times the renderer; render-animation writes many.
Both also render scenes described in TOML scene files, a few of which
come in /usr/share/raytracer/scenes.")

  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libraytracer-dev)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
"ray tracer and bitmap-window libraries (static, with headers)
The libraries under the raytracer program, for programs of one's own:
vectors, rays, planes, spheres, materials, lights and a scene that traces
and shades them; a stopwatch; the Canvas drawing interface with a canvas in
memory; a fixed-size window showing a 32-bit pixel surface (SDL2); PNG
files; and a loader of TOML scene files. With a CMake package (find_package(raytracer)) and pkg-config files.")
  # Not shared-library dependencies, which dpkg-shlibdeps finds: the static
  # libraries' CMake package and pkg-config files find these -dev packages'
  # headers, CMake and pkg-config files when a program builds against them.
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libsdl2-dev, libsdl2-ttf-dev, libfontconfig-dev, libpng-dev")
endif()

include(CPack)
