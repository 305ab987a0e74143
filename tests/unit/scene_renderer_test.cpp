// SceneRenderer against the plain loop over Scene::trace: every pixel the
// same bits, for scenes of every make-up, changed between frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "bmpwindow/memory_canvas.h"
#include "geometry/plane.h"
#include "random_scene.h"
#include "render/pinhole_camera.h"
#include "render/scene_renderer.h"
#include "scene/light.h"
#include "scene/scene_object.h"
#include "test_doubles.h"

namespace {

// "" when the renderer's frame is the model's, else how many pixels differ and where.
std::string compare(SceneRenderer& renderer, const RandomScene& world) {
    MemoryCanvas fast(world.width, world.height);
    MemoryCanvas plain(world.width, world.height);
    renderer.render(*world.scene, *world.camera, fast);
    renderWithModel(*world.scene, *world.camera, plain);
    int differing = 0;
    std::ostringstream where;
    for (std::int32_t x = 0; x < world.width; ++x) {
        for (std::int32_t y = 0; y < world.height; ++y) {
            if (fast.pixel(x, y) == plain.pixel(x, y)) continue;
            if (++differing <= 3) {
                where << " (" << x << "," << y << ") " << std::hex << fast.pixel(x, y) << " vs " << plain.pixel(x, y)
                      << std::dec;
            }
        }
    }
    if (differing == 0) return "";
    std::ostringstream text;
    text << differing << " pixels differ:" << where.str() << " [" << world.story << "]";
    return text.str();
}

// One renderer for all of them, so that what it kept from one scene meets
// the next (which may well be allocated where the last one was).
TEST(SceneRenderer, MatchesTheModelOnTwoHundredRandomScenes) {
    SceneRenderer renderer;
    int frames = 0;
    int failures = 0;
    for (std::uint32_t k = 0; k < 200 && failures < 5; ++k) {
        SeededChoices choices(1000 + k);
        const std::int32_t objects = k % 10 == 3 ? 32 : k % 10 == 4 ? 33 : 0;
        RandomScene world = makeRandomScene(choices, objects);
        for (int frame = 0; frame < 4; ++frame) {
            if (frame > 0) changeRandomScene(choices, world);
            const std::string result = compare(renderer, world);
            ++frames;
            if (!result.empty()) {
                ++failures;
                ADD_FAILURE() << "scene " << k << ", frame " << frame << ": " << result;
                break;
            }
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_GE(frames, 800);
}

// Crowds of 50 to 3,000 spheres, which the renderer searches through its
// tree: ties, tangents, mirror chains whose rays are far from unit length,
// odd radii and far spheres, with spheres moved (a refit), added and
// removed (a new tree) between frames.
TEST(SceneRenderer, CrowdsOfSpheresMatchTheModel) {
    SceneRenderer renderer;
    int failures = 0;
    for (std::uint32_t k = 0; k < 16 && failures < 3; ++k) {
        SeededChoices choices(9000 + k);
        RandomScene world = makeRandomScene(choices, 1 + static_cast<std::int32_t>(choices.below(4)));
        const auto n = static_cast<std::int32_t>(k < 4 ? 50 + choices.below(200) : 200 + choices.below(2801));
        addCrowd(choices, world, n);
        for (int frame = 0; frame < 3; ++frame) {
            if (frame > 0) changeRandomScene(choices, world);
            const std::string result = compare(renderer, world);
            if (!result.empty()) {
                ++failures;
                ADD_FAILURE() << "crowd " << k << ", frame " << frame << ": " << result;
                break;
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

// A still camera over a still scene: the frames after the first use the
// hints of the fixed shapes, which must not change a pixel; nor must
// materials that turn from matte to mirror under those hints.
TEST(SceneRenderer, FramesWithKeptTablesMatchTheModel) {
    for (std::uint32_t k = 0; k < 20; ++k) {
        SeededChoices choices(77 + k);
        RandomScene world = makeRandomScene(choices, k < 10 ? 0 : 200);
        std::vector<float> reflectivities;
        for (SceneObject* object : world.scene->objects()) {
            reflectivities.push_back(object->material().reflectivity);
            if (k % 2 == 1) object->material().reflectivity = 0.0f;
        }
        SceneRenderer renderer;
        for (int frame = 0; frame < 4; ++frame) {
            if (frame == 3) {
                std::size_t i = 0;
                for (SceneObject* object : world.scene->objects()) object->material().reflectivity = reflectivities[i++];
            }
            EXPECT_EQ(compare(renderer, world), "") << "scene " << k << ", frame " << frame;
        }
    }
}

// Mirror rays off a floor are searched a group at a time, from the eye's
// mirror image. Hundreds of spheres graze them on every side, to a few units
// in the last place, under cameras tilted and rolled: moving (the rays
// searched in the frame) and still (their hits kept from the first still frame).
TEST(SceneRenderer, SpheresGrazingMirrorRaysOffAFloorMatchTheModel) {
    for (std::uint32_t k = 0; k < 8; ++k) {
        SeededChoices c(4200 + k);
        RandomScene world;
        world.scene = std::make_unique<Scene>();
        world.width = 80;
        world.height = 60;
        const Material floor(Vector3(0.3f, 0.5f, 0.7f), 0.5f, 20.0f, c.between(0.3f, 1.0f));
        const Vector3 up = normalized(Vector3(c.between(-0.2f, 0.2f), c.between(-0.2f, 0.2f), 1.0f));
        world.scene->addObject(new SceneObject(floor, new Plane(PlaneEquation(up, c.between(-1.0f, 1.0f)))));
        world.eye = Vector3(c.between(-5.0f, 5.0f), c.between(-5.0f, 5.0f), c.between(1.5f, 4.0f));
        // Under a ceiling nearly every mirror ray meets something before the tree is searched.
        if (k % 2 == 0) {
            const Material ceiling(Vector3(0.9f, 0.9f, 0.9f), 0.0f, 1.0f, 0.0f);
            const float height = world.eye.z + c.between(1.0f, 4.0f);
            world.scene->addObject(new SceneObject(ceiling, new Plane(PlaneEquation(Vector3(0.0f, 0.0f, 1.0f), height))));
        }
        world.scene->addLight(new Light(Vector3(0.0f, 0.0f, 1.0f), Vector3(60.0f, 60.0f, 60.0f)));
        const Vector3 target(world.eye.x + c.between(-3.0f, 3.0f), world.eye.y + c.between(6.0f, 12.0f), 0.0f);
        const Vector3 roll(c.between(-1.0f, 1.0f), c.between(-1.0f, 1.0f), 1.0f);
        world.camera = std::make_unique<PinholeCamera>(world.eye, target, roll, c.between(30.0f, 90.0f));
        addCrowd(c, world, 40);
        for (int n = 0; n < 1000; ++n) {
            const auto i = static_cast<std::int32_t>(c.below(static_cast<std::uint32_t>(world.width)));
            const auto j = static_cast<std::int32_t>(c.below(static_cast<std::uint32_t>(world.height)));
            const Ray primary(world.camera->position(), world.camera->direction(i, j, world.width, world.height));
            Ray mirror = primary;
            if (!mirrorOffPlane(*world.scene, primary, mirror)) continue;
            const Material m(Vector3(0.8f, 0.2f, 0.2f), 0.5f, 20.0f, c.chance(50) ? 0.5f : 0.0f);
            Sphere* s = sphereGrazing(c, mirror, c.between(0.2f, 10.0f), c.between(0.02f, 0.3f));
            if (s != nullptr) world.scene->addObject(new SceneObject(m, s));
        }
        SceneRenderer renderer;
        for (int frame = 0; frame < 3; ++frame) {
            EXPECT_EQ(compare(renderer, world), "") << "scene " << k << ", frame " << frame;
        }
    }
}

// Renderers share nothing: two threads, each with its own scene and renderer.
TEST(SceneRenderer, RenderersOnTwoThreadsWorkSideBySide) {
    std::string results[2];
    const auto work = [&](int n) {
        SceneRenderer renderer;
        for (std::uint32_t k = 0; k < 15; ++k) {
            SeededChoices choices(5000 + 100 * static_cast<std::uint32_t>(n) + k);
            RandomScene world = makeRandomScene(choices);
            for (int frame = 0; frame < 3; ++frame) {
                if (frame > 0) changeRandomScene(choices, world);
                results[n] += compare(renderer, world);
            }
        }
    };
    std::thread other(work, 1);
    work(0);
    other.join();
    EXPECT_EQ(results[0], "");
    EXPECT_EQ(results[1], "");
}

// A canvas whose width or height is zero or less gets no call at all.
TEST(SceneRenderer, CanvasesWithoutPixelsGetNothing) {
    SeededChoices choices(3);
    RandomScene world = makeRandomScene(choices);
    SceneRenderer renderer;
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 5}, std::pair{5, 0}, std::pair{-3, 4}, std::pair{4, -3}}) {
        RecordingCanvas canvas(w, h);
        renderer.render(*world.scene, *world.camera, canvas);
        EXPECT_TRUE(canvas.plots.empty()) << w << "x" << h;
    }
    RecordingCanvas one(1, 1);
    renderer.render(*world.scene, *world.camera, one);
    EXPECT_EQ(one.plots.size(), 1u);
}

TEST(PinholeCamera, LooksAtItsTargetThroughSquarePixels) {
    const PinholeCamera camera({1, 2, 3}, {1, 12, 3}, {0, 0, 1}, 90.0f);
    EXPECT_EQ(camera.position().y, 2.0f);
    // The middle of an odd image is the line of sight.
    const Vector3 centre = camera.direction(50, 25, 101, 51);
    EXPECT_NEAR(centre.x, 0.0f, 1e-6f);
    EXPECT_NEAR(centre.y, 1.0f, 1e-6f);
    EXPECT_NEAR(centre.z, 0.0f, 1e-6f);
    // 90 degrees from top to bottom: the top row's centre is 45 degrees up,
    // less half a pixel; right of the centre is +x with +z up.
    const Vector3 top = camera.direction(50, 0, 101, 51);
    EXPECT_NEAR(std::atan2(top.z, top.y), std::atan(1.0f - 1.0f / 51.0f), 1e-5f);
    const Vector3 right = camera.direction(100, 25, 101, 51);
    EXPECT_GT(right.x, 0.0f);
    // Square pixels: one pixel across is as far as one pixel down.
    const Vector3 across = camera.direction(51, 25, 101, 51);
    const Vector3 down = camera.direction(50, 26, 101, 51);
    EXPECT_NEAR(across.x / across.y, -down.z / down.y, 1e-6f);
    for (const Vector3& d : {centre, top, right, across}) EXPECT_NEAR(d.length(), 1.0f, 1e-6f);
}

// A run of a column gives what each pixel alone gives, whatever the length
// of the run and where it starts.
TEST(PinholeCamera, ARunOfAColumnIsItsPixelsOneByOne) {
    SeededChoices choices(11);
    int differing = 0;
    for (int c = 0; c < 200; ++c) {
        const auto any = [&] { return Vector3(choices.between(-5, 5), choices.between(-5, 5), choices.between(-5, 5)); };
        const PinholeCamera camera(any(), any(), {0, 0, 1}, choices.between(10, 120));
        const std::int32_t start = static_cast<std::int32_t>(choices.below(5));
        const std::int32_t count = 1 + static_cast<std::int32_t>(choices.below(11));
        Vector3 run[16];
        camera.columnDirections(3, start, count, 8, 64, run);
        for (std::int32_t k = 0; k < count; ++k) {
            const Vector3 one = camera.direction(3, start + k, 8, 64);
            differing += std::memcmp(&one, &run[k], sizeof one) != 0;
        }
    }
    EXPECT_EQ(differing, 0);
}

}  // namespace
