// What view-scene prints for a scene's author reads back through the scene
// loader to the very floats it was made from; the scene's size and picture
// names follow the file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <set>

#include "viewer/scene_view.h"

namespace {

bool sameBits(const Vector3& a, const Vector3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A whole scene file around a [camera] snippet.
SceneFileResult loadWith(const std::string& snippet) {
    return parseSceneFile("format = 1\n" + snippet + "\n[materials.m]\ncolour = [1, 1, 1]\n", "snippet.toml");
}

// A float of any exponent and mantissa, but finite.
float anyFloat(std::mt19937& random, float scale) {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-30, 30);
    return std::ldexp(unit(random), exponent(random)) * scale;
}

TEST(CameraSnippet, ReadsBackToTheSameFloatsThroughTheSceneLoader) {
    std::mt19937 random(2024);
    int checked = 0;
    for (int k = 0; k < 500; ++k) {
        ViewPose pose;
        pose.eye = Vector3(anyFloat(random, 1.0f), anyFloat(random, 1.0f), anyFloat(random, 1.0f));
        // Mostly along x, however far out the eye is, so up never lies along the sight.
        pose.target = Vector3(pose.eye.x + (std::abs(pose.eye.x) + 1.0f) * 1.5f,
                              pose.eye.y + anyFloat(random, 1e-3f), pose.eye.z + anyFloat(random, 1e-3f));
        pose.up = Vector3(std::fmod(anyFloat(random, 1.0f), 0.5f), std::fmod(anyFloat(random, 1.0f), 0.5f),
                          1.0f + std::abs(anyFloat(random, 1.0f)));
        pose.fovDegrees = std::uniform_real_distribution<float>(0.01f, 179.9f)(random);
        const std::string snippet = cameraSnippet(pose);
        const SceneFileResult loaded = loadWith(snippet);
        if (!loaded) {
            // Only a pose the format itself refuses may fail: not one of these.
            ADD_FAILURE() << loaded.error.text() << "\n" << snippet;
            continue;
        }
        const FileCamera& camera = loaded.scene->camera;
        ASSERT_EQ(camera.kind, FileCamera::Kind::pinhole);
        ASSERT_NE(camera.eye.fixed(), nullptr);
        ASSERT_NE(camera.target.fixed(), nullptr);
        EXPECT_TRUE(sameBits(*camera.eye.fixed(), pose.eye)) << snippet;
        EXPECT_TRUE(sameBits(*camera.target.fixed(), pose.target)) << snippet;
        EXPECT_TRUE(sameBits(camera.up, pose.up)) << snippet;
        EXPECT_EQ(camera.fovDegrees, pose.fovDegrees) << snippet;
        // And the pose the viewer starts from for that file is the printed one.
        const ViewPose back = poseAt(camera, 0.0f);
        EXPECT_TRUE(sameBits(back.eye, pose.eye) && sameBits(back.target, pose.target));
        ++checked;
    }
    EXPECT_EQ(checked, 500);
}

TEST(CameraSnippet, TheDemoCameraReadsBackAsTheDemoCamera) {
    const Vector3 eye(-0.1f, 1e-7f, 123456.789f);
    const SceneFileResult loaded = loadWith(demoCameraSnippet(eye));
    ASSERT_TRUE(loaded) << loaded.error.text();
    EXPECT_EQ(loaded.scene->camera.kind, FileCamera::Kind::demo);
    ASSERT_NE(loaded.scene->camera.eye.fixed(), nullptr);
    EXPECT_TRUE(sameBits(*loaded.scene->camera.eye.fixed(), eye));
}

TEST(SceneSize, SpansTheSpheresLightsAndEyeAtTheTimeAndIgnoresPlanes) {
    const SceneFileResult loaded = parseSceneFile(R"(format = 1
[camera]
kind = "pinhole"
eye = [0, 0, 0]
target = [1, 0, 0]
fov_degrees = 40
[materials.m]
colour = [1, 1, 1]
[[objects]]
material = "m"
plane = { normal = [0, 0, 1], offset = -1000 }
[[objects]]
material = "m"
sphere = { centre = { keyframes = [ { seconds = 0, value = [10, 0, 0] }, { seconds = 1, value = [20, 0, 0] } ] }, radius = 1 }
[[lights]]
position = [0, 4, 0]
intensity = [1, 1, 1]
)",
                                                   "size.toml");
    ASSERT_TRUE(loaded) << loaded.error.text();
    // At t = 0 the box is [0, 11] x [-1, 4] x [-1, 1]; at t = 1 it reaches x = 21.
    EXPECT_NEAR(sceneSize(*loaded.scene, 0.0f), std::sqrt(11.0 * 11.0 + 5.0 * 5.0 + 2.0 * 2.0), 1e-9);
    EXPECT_NEAR(sceneSize(*loaded.scene, 1.0f), std::sqrt(21.0 * 21.0 + 5.0 * 5.0 + 2.0 * 2.0), 1e-9);
    SceneFile planesOnly = *loaded.scene;
    planesOnly.objects.resize(1);
    planesOnly.lights.clear();
    EXPECT_EQ(sceneSize(planesOnly, 0.0f), 1.0);
}

TEST(PictureName, TakesTheFirstFreeNumberAfterTheScenesName) {
    std::set<std::string> taken{"shots/orbits-0001.png", "shots/orbits-0002.png", "shots/orbits-0004.png"};
    const auto isTaken = [&](const std::string& name) { return taken.count(name) != 0; };
    EXPECT_EQ(freePictureName("scenes/orbits.toml", "shots", isTaken), "shots/orbits-0003.png");
    taken.insert("shots/orbits-0003.png");
    EXPECT_EQ(freePictureName("/a/b/orbits.toml", "shots", isTaken), "shots/orbits-0005.png");
    EXPECT_EQ(freePictureName("demo.toml", "", isTaken), "demo-0001.png");
}

}  // namespace
