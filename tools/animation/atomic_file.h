// writeFileWhole: a file that appears under its name complete or not at all.
#pragma once

#include <cstddef>
#include <string>

// Writes to a temporary name beside path (path + ".tmp"), then renames it
// over path. On failure the temporary file is removed, path is left as it
// was, and error holds the file and the system's reason.
bool writeFileWhole(const std::string& path, const unsigned char* data, std::size_t size, std::string& error);

// Whether a file could be made at path, tried with its temporary name and
// removed again: to fail before any work rather than after the first frame.
bool canCreateBeside(const std::string& path, std::string& error);

std::string temporaryName(const std::string& path);
