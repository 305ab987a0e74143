# libpng and zlib built from their source trees, for targets (such as the
# Windows cross build) whose system has no libpng to link. Defines PNG::PNG.
set(RT_ZLIB_SOURCE_DIR "" CACHE PATH "zlib source tree")
set(RT_PNG_SOURCE_DIR "" CACHE PATH "libpng source tree")
if(NOT EXISTS "${RT_ZLIB_SOURCE_DIR}/zlib.h" OR NOT EXISTS "${RT_PNG_SOURCE_DIR}/png.h")
  message(FATAL_ERROR "No libpng for this target: set RT_ZLIB_SOURCE_DIR and RT_PNG_SOURCE_DIR "
                      "to zlib and libpng source trees (scripts/windows fetches them)")
endif()

set(zlib_sources adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees
    trees uncompr zutil)
list(TRANSFORM zlib_sources PREPEND "${RT_ZLIB_SOURCE_DIR}/")
list(TRANSFORM zlib_sources APPEND ".c")
add_library(bundled_zlib STATIC ${zlib_sources})
target_include_directories(bundled_zlib SYSTEM PUBLIC "$<BUILD_INTERFACE:${RT_ZLIB_SOURCE_DIR}>")
target_compile_options(bundled_zlib PRIVATE -w)

set(png_config "${CMAKE_BINARY_DIR}/bundled_png/pnglibconf.h")
configure_file("${RT_PNG_SOURCE_DIR}/scripts/pnglibconf.h.prebuilt" "${png_config}" COPYONLY)
set(png_sources png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans pngwio
    pngwrite pngwtran pngwutil)
list(TRANSFORM png_sources PREPEND "${RT_PNG_SOURCE_DIR}/")
list(TRANSFORM png_sources APPEND ".c")
add_library(bundled_png STATIC ${png_sources})
target_include_directories(bundled_png SYSTEM PUBLIC "$<BUILD_INTERFACE:${RT_PNG_SOURCE_DIR}>"
                           "$<BUILD_INTERFACE:${CMAKE_BINARY_DIR}/bundled_png>")
target_link_libraries(bundled_png PUBLIC bundled_zlib)
target_compile_options(bundled_png PRIVATE -w)
add_library(PNG::PNG ALIAS bundled_png)
