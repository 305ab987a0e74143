#include "png/png_image.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "bmpwindow/pixel_surface.h"

namespace {

std::string failure(const char* what, const png_image& image) {
    return std::string(what) + ": " + (image.message[0] != '\0' ? image.message : std::strerror(errno));
}

std::vector<png_byte> rgbBytes(const PixelSurface& surface) {
    const auto count = static_cast<std::size_t>(surface.width()) * static_cast<std::size_t>(surface.height());
    std::vector<png_byte> rgb(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t word = surface.pixels()[i];
        rgb[3 * i] = static_cast<png_byte>(word >> 16);
        rgb[3 * i + 1] = static_cast<png_byte>(word >> 8);
        rgb[3 * i + 2] = static_cast<png_byte>(word);
    }
    return rgb;
}

png_image rgbImage(const PixelSurface& surface) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(surface.width());
    image.height = static_cast<png_uint_32>(surface.height());
    image.format = PNG_FORMAT_RGB;
    return image;
}

}  // namespace

bool writePng(const std::string& path, const PixelSurface& surface, std::string& error) {
    const std::vector<png_byte> rgb = rgbBytes(surface);

    // Opened here rather than by libpng so that the system's reason reaches the user.
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    png_image image = rgbImage(surface);
    const bool written = png_image_write_to_stdio(&image, file, 0, rgb.data(), 0, nullptr) != 0;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = failure(path.c_str(), image);
        std::remove(path.c_str());
        return false;
    }
    return true;
}

bool encodePng(const PixelSurface& surface, std::vector<unsigned char>& bytes, std::string& error) {
    const std::vector<png_byte> rgb = rgbBytes(surface);
    png_image image = rgbImage(surface);
    // Room for the worst case, so that the image is compressed once.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
    bytes.resize(size);
    if (png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr) != 0) {
        bytes.resize(size);
        return true;
    }
    error = std::string("PNG encoding: ") + image.message;
    return false;
}

bool readPng(const std::string& path, PixelImage& out, std::string& error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        error = failure(path.c_str(), image);
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
        error = failure(path.c_str(), image);
        return false;
    }
    out.width = static_cast<std::int32_t>(image.width);
    out.height = static_cast<std::int32_t>(image.height);
    out.words.resize(static_cast<std::size_t>(image.width) * image.height);
    for (std::size_t i = 0; i < out.words.size(); ++i) {
        out.words[i] = static_cast<std::uint32_t>(rgb[3 * i]) << 16 | static_cast<std::uint32_t>(rgb[3 * i + 1]) << 8 |
                       rgb[3 * i + 2];
    }
    return true;
}
