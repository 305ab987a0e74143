#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "animation/atomic_file.h"

namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path scratch(const char* name) {
    const fs::path dir = fs::path(::testing::TempDir()) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

const unsigned char bytes[] = {'f', 'r', 'a', 'm', 'e'};

TEST(AtomicFile, WritesAndReplacesWholeLeavingNoTemporaryFile) {
    const fs::path dir = scratch("atomic_file_replace");
    const std::string path = (dir / "a.png").string();
    std::string error;
    ASSERT_TRUE(writeFileWhole(path, bytes, sizeof bytes, error)) << error;
    EXPECT_EQ(contents(path), "frame");
    ASSERT_TRUE(writeFileWhole(path, bytes, 2, error)) << error;
    EXPECT_EQ(contents(path), "fr");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(AtomicFile, FailuresNameTheFileAndLeaveNothing) {
    const fs::path dir = scratch("atomic_file_fail");
    std::string error;
    const std::string missing = (dir / "missing" / "a.png").string();
    EXPECT_FALSE(writeFileWhole(missing, bytes, sizeof bytes, error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_FALSE(canCreateBeside(missing, error));

    // A directory in the way of the rename: the temporary file must go again.
    const fs::path blocked = dir / "blocked";
    fs::create_directories(blocked / "inside");
    EXPECT_FALSE(writeFileWhole(blocked.string(), bytes, sizeof bytes, error));
    EXPECT_FALSE(canCreateBeside(blocked.string(), error));
    EXPECT_FALSE(fs::exists(temporaryName(blocked.string())));
    EXPECT_TRUE(fs::is_directory(blocked / "inside"));
}

TEST(AtomicFile, TheTrialLeavesNoFile) {
    const fs::path dir = scratch("atomic_file_trial");
    std::string error;
    EXPECT_TRUE(canCreateBeside((dir / "x.webp").string(), error)) << error;
    EXPECT_TRUE(fs::is_empty(dir));
}

}  // namespace
