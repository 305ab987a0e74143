#include "animation/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

std::string reason(const std::string& path) { return path + ": " + std::strerror(errno); }

}  // namespace

std::string temporaryName(const std::string& path) { return path + ".tmp"; }

bool writeFileWhole(const std::string& path, const unsigned char* data, std::size_t size, std::string& error) {
    const std::string temporary = temporaryName(path);
    errno = 0;
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        error = reason(path);
        return false;
    }
    // A full disk may only show when the buffer is flushed, at the close.
    const bool written = std::fwrite(data, 1, size, file) == size;
    const int writeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        if (!written) errno = writeErrno;
        error = reason(path);
        std::remove(temporary.c_str());
        return false;
    }
    // std::filesystem replaces an existing file on Windows too, where std::rename does not.
    std::error_code code;
    std::filesystem::rename(temporary, path, code);
    if (code) {
        error = path + ": " + code.message();
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool canCreateBeside(const std::string& path, std::string& error) {
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        errno = EISDIR;
        error = reason(path);
        return false;
    }
    const std::string temporary = temporaryName(path);
    errno = 0;
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        error = reason(path);
        return false;
    }
    std::fclose(file);
    std::remove(temporary.c_str());
    return true;
}
