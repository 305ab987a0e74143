// writePng, encodePng and readPng: a PixelSurface, such as a MemoryCanvas's, to PNG and back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class PixelSurface;

// Pixel words as the screen shows them: red in bits 16-23, green 8-15, blue 0-7.
struct PixelImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> words;  // top-down rows
};

// 8-bit RGB PNG of what the surface shows. False, with the reason in error, when it cannot be written.
bool writePng(const std::string& path, const PixelSurface& surface, std::string& error);

// The same PNG as writePng's file, in memory: for writers that encode on one
// thread and write on another. False, with libpng's reason in error, on failure.
bool encodePng(const PixelSurface& surface, std::vector<unsigned char>& bytes, std::string& error);

// Any PNG, read as pixel words (alpha dropped).
bool readPng(const std::string& path, PixelImage& image, std::string& error);
