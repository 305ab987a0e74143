// The renderer traces through its own fast path; every pixel must still be
// what a plain loop over Scene::trace gives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/demo_scene.h"
#include "app/frame_renderer.h"
#include "bmpwindow/memory_canvas.h"
#include "geometry/plane.h"
#include "geometry/sphere.h"
#include "render/fast/fast_highlight.h"
#include "scene/light.h"
#include "render/fast/local_lighting.h"
#include "scene/scene.h"
#include "scene/scene_object.h"

namespace {

// The model, pixel by pixel, with nothing kept between frames.
void plainFrame(Canvas& canvas) {
    for (std::int32_t i = 0; i < FRAME_SIZE; ++i) {
        for (std::int32_t j = 0; j < FRAME_SIZE; ++j) {
            Vector3 colour;
            appScene->trace(Ray(cameraPosition, primaryRayDirection(i, j)), colour);
            colour.clampToOne();
            canvas.setPixel(i, j, Vector3(colour.z, colour.y, colour.x));
        }
    }
}

// Renders at t both ways; "" when they agree, else how many pixels differ and where.
std::string differences(float t) {
    MemoryCanvas fast(FRAME_SIZE, FRAME_SIZE);
    MemoryCanvas plain(FRAME_SIZE, FRAME_SIZE);
    renderFrameAt(fast, t);  // also places the light and the green sphere for plainFrame
    plainFrame(plain);
    int differing = 0;
    std::ostringstream where;
    for (std::int32_t x = 0; x < FRAME_SIZE; ++x) {
        for (std::int32_t y = 0; y < FRAME_SIZE; ++y) {
            if (fast.pixel(x, y) == plain.pixel(x, y)) continue;
            if (++differing <= 3) {
                where << " (" << x << "," << y << ") " << std::hex << fast.pixel(x, y) << " vs " << plain.pixel(x, y)
                      << std::dec;
            }
        }
    }
    if (differing == 0) return "";
    std::ostringstream text;
    text << "t = " << t << ": " << differing << " pixels differ:" << where.str();
    return text.str();
}

class FastPath : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = {appScene, animatedLight, animatedSphere, cameraPosition};
        buildScene();
    }
    void TearDown() override {
        destroyScene();
        appScene = saved_.scene;
        animatedLight = saved_.light;
        animatedSphere = saved_.sphere;
        cameraPosition = saved_.camera;
    }

    // Puts `scene` in place of the demo scene; its first sphere object, if
    // any, is the one the renderer moves.
    static void show(Scene* scene, SceneObject* moved, Light* light) {
        destroyScene();
        appScene = scene;
        animatedSphere = moved;
        animatedLight = light;
    }

private:
    struct {
        Scene* scene;
        Light* light;
        SceneObject* sphere;
        Vector3 camera;
    } saved_{};
};

TEST_F(FastPath, MatchesTheModelAtFortyRandomTimes) {
    std::mt19937 random(20261208);
    for (int k = 0; k < 40; ++k) {
        const float t = static_cast<float>(random() % 200001u) / 1000.0f;
        EXPECT_EQ(differences(t), "");
    }
}

TEST_F(FastPath, FollowsChangesToShapesItTookAsFixed) {
    EXPECT_EQ(differences(1.0f), "");
    auto* red = dynamic_cast<Sphere*>(appScene->objects()[3]->shape());
    ASSERT_NE(red, nullptr);
    red->centre = Vector3(5.0f, -1.0f, 1.5f);
    EXPECT_EQ(differences(1.0f), "");
    red->centre.x = 4.5f;  // and again, now that it is known to move
    EXPECT_EQ(differences(2.0f), "");
    cameraPosition = Vector3(-3.0f, 0.5f, 1.25f);
    EXPECT_EQ(differences(2.0f), "");
}

TEST_F(FastPath, FollowsAWholeNewScene) {
    EXPECT_EQ(differences(3.0f), "");
    auto* scene = new Scene();
    scene->addObject(new SceneObject(Material({1, 1, 0}, 0.3f, 7.5f, 0.25f),
                                     new Plane(PlaneEquation({0, 0, 1}, -0.5f))));
    scene->addObject(new SceneObject(Material({0, 0, 1}, 0.9f, 3.0f, 1.0f), new Sphere({6, 1, 1}, 1.5f)));
    auto* light = new Light({0, 0, 0}, {50, 80, 20});
    scene->addLight(light);
    scene->addLight(new Light({2, -3, 6}, {30, 30, 30}));
    show(scene, nullptr, light);
    EXPECT_EQ(differences(3.0f), "");
    EXPECT_EQ(differences(4.0f), "");
}

// A sphere the fast path does not know by kind: it must go through the
// virtual calls and still give the model's pixels.
class Ball final : public Shape {
public:
    Ball(const Vector3& centre, float radius) : inner_(centre, radius) {}
    float intersect(const Ray& ray) const override { return inner_.intersect(ray); }
    Vector3 normalAt(const Vector3& p) const override { return inner_.normalAt(p); }

private:
    Sphere inner_;
};

TEST_F(FastPath, ShapesOfOtherKindsGoThroughTheirVirtualCalls) {
    auto* scene = new Scene();
    scene->addObject(new SceneObject(Material({1, 1, 1}, 0.5f, 20, 0.6f), new Plane(PlaneEquation({0, 0, 1}, 0))));
    scene->addObject(new SceneObject(Material({1, 0, 1}, 0.4f, 12, 0.3f), new Ball({5, -1, 1}, 1)));
    auto* green = new SceneObject(Material({0, 1, 0}, 0.4f, 20, 0.7f), new Sphere({4, 0, 2}, 0.7f));
    scene->addObject(green);
    auto* light = new Light({15, 0, 5}, {100, 100, 100});
    scene->addLight(light);
    show(scene, green, light);
    EXPECT_EQ(differences(0.5f), "");
    EXPECT_EQ(differences(9.0f), "");
}

// The moving green sphere lands exactly on a fixed sphere: equal distances,
// so the first-added must win whichever side of the split it is on.
TEST_F(FastPath, TiesBetweenFixedAndMovingShapesGoToTheFirstAdded) {
    const float t = 2.0f;
    const double angle = 0.2 * static_cast<double>(t);
    const Vector3 there(static_cast<float>(3.0 + 2.0 * std::cos(angle)), static_cast<float>(2.0 * std::sin(angle)),
                        1.0f);
    for (bool movingFirst : {true, false}) {
        auto* scene = new Scene();
        scene->addObject(new SceneObject(Material({1, 1, 1}, 0.5f, 20, 0.6f), new Plane(PlaneEquation({0, 0, 1}, 0))));
        auto* moving = new SceneObject(Material({0, 1, 0}, 0.4f, 20, 0.7f), new Sphere({0, 0, 0}, 0.7f));
        auto* fixed = new SceneObject(Material({1, 0, 0}, 0.4f, 10, 0.5f), new Sphere(there, 0.7f));
        scene->addObject(movingFirst ? moving : fixed);
        scene->addObject(movingFirst ? fixed : moving);
        auto* light = new Light({0, 0, 0}, {100, 100, 100});
        scene->addLight(light);
        show(scene, moving, light);
        EXPECT_EQ(differences(t), "") << (movingFirst ? "moving sphere added first" : "fixed sphere added first");
        destroyScene();
    }
    appScene = nullptr;
    buildScene();
}

TEST_F(FastPath, FacingMirrorsEndAtTheSameDepth) {
    auto* scene = new Scene();
    scene->addObject(new SceneObject(Material({1, 1, 1}, 0, 1, 1.0f), new Plane(PlaneEquation({1, 0, 0}, 2))));
    scene->addObject(new SceneObject(Material({1, 1, 1}, 0, 1, 1.0f), new Plane(PlaneEquation({1, 0, 0}, -4))));
    scene->addObject(new SceneObject(Material({1, 0.5f, 0}, 0.5f, 8, 0.5f), new Plane(PlaneEquation({0, 0, 1}, 0))));
    show(scene, nullptr, nullptr);
    EXPECT_EQ(differences(0.0f), "");
}

TEST_F(FastPath, ScenesLargerThanItsTablesStillMatch) {
    auto* scene = new Scene();
    scene->addObject(new SceneObject(Material({1, 1, 1}, 0.5f, 20, 0.6f), new Plane(PlaneEquation({0, 0, 1}, 0))));
    for (int k = 0; k < 40; ++k) {
        const float a = static_cast<float>(k) * 0.4f;
        scene->addObject(new SceneObject(Material({0.2f, 0.9f, 0.4f}, 0.4f, 20, k % 2 ? 0.5f : 0.0f),
                                         new Sphere({6 + 2 * std::cos(a), 3 * std::sin(a), 1 + 0.05f * k}, 0.4f)));
    }
    auto* light = new Light({0, 0, 0}, {100, 100, 100});
    scene->addLight(light);
    show(scene, nullptr, light);
    EXPECT_EQ(differences(5.0f), "");
}

// The highlight without std::pow must be the same float, including near
// rounding boundaries and outside the range where it applies.
TEST(FastSpecularHighlight, IsTheSameFloatAsThroughPow) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    int differing = 0;
    for (int k = 0; k < 2000000; ++k) {
        const float sigma = k % 7 == 0 ? 1.0f + unit(random) : unit(random);
        if (!(sigma > 0.0f)) continue;
        const float q2 = std::ldexp(unit(random), -(k % 12));
        const float ks = k % 5 == 0 ? 1.0f : unit(random);
        const float exponent = static_cast<float>(1 + k % 64) + (k % 97 == 0 ? 0.5f : 0.0f);
        if (fastSpecularHighlight(ks, sigma, q2, exponent) != specularHighlight(ks, sigma, q2, exponent)) ++differing;
    }
    EXPECT_EQ(differing, 0);

    // Far outside the fast path's range: the fallback decides.
    for (float sigma : {1e-30f, 1e30f, 3.0f}) {
        for (float exponent : {1.0f, 20.0f, 64.0f, 65.0f, 0.0f, -3.0f}) {
            EXPECT_EQ(fastSpecularHighlight(0.5f, sigma, 0.04f, exponent),
                      specularHighlight(0.5f, sigma, 0.04f, exponent))
                << sigma << "^" << exponent;
        }
    }
}


// The plain lighting (what compilers without the vector code run), the
// vector lighting and its AVX2 copy give the same bits, lit, shadowed or
// facing away.
TEST_F(FastPath, EveryWayOfLightingAgrees) {
    MemoryCanvas canvas(1, 1);
    renderFrameAt(canvas, 4.0f);  // places the light
    FrameTracer tracer;
    tracer.load(*appScene);
    std::mt19937 random(99);
    std::uniform_real_distribution<float> coordinate(-8.0f, 8.0f);
    constexpr int COUNT = 50001;  // not a whole number of groups
    // The demo's materials, and highlights the fast power does not take:
    // exponents that are not whole or out of its range, and huge weights.
    std::vector<const Material*> materials;
    for (const SceneObject* object : appScene->objects()) materials.push_back(&object->material());
    const Material odd[] = {{{1, 1, 1}, 0.5f, 7.5f, 0}, {{1, 0, 1}, 0.5f, 65, 0},   {{0, 1, 1}, 0.5f, 0.25f, 0},
                            {{1, 1, 0}, 1e30f, 20, 0},  {{1, 1, 1}, 0.5f, 1, 0.5f}, {{1, 1, 1}, 1e-30f, 64, 0}};
    for (const Material& m : odd) materials.push_back(&m);
    std::vector<ShadingJob> jobs;
    for (int k = 0; k < COUNT; ++k) {
        const Vector3 point(coordinate(random), coordinate(random), std::fabs(coordinate(random)));
        const Vector3 normal = normalized(Vector3(coordinate(random), coordinate(random), coordinate(random)));
        const Vector3 reflected = normalized(Vector3(coordinate(random), coordinate(random), coordinate(random)));
        jobs.push_back({point, normal, reflected, materials[static_cast<std::size_t>(k) % materials.size()]});
    }
    std::vector<Vector3> plain(COUNT), other(COUNT);
    localLightingPlain(tracer, jobs.data(), COUNT, plain.data());
    const auto differing = [&] {
        int n = 0;
        for (int k = 0; k < COUNT; ++k) n += std::memcmp(&plain[k], &other[k], sizeof(Vector3)) != 0;
        return n;
    };
#ifdef RT_SIMD_LANES
    localLightingVector(tracer, jobs.data(), COUNT, other.data());
    EXPECT_EQ(differing(), 0) << "four lanes";
#endif
#ifdef RT_AVX2_COPIES
    if (cpuHasAvx2()) {
        localLightingVectorAvx2(tracer, jobs.data(), COUNT, other.data());
        EXPECT_EQ(differing(), 0) << "eight lanes with AVX2";
    }
#endif
    localLighting(tracer, jobs.data(), COUNT, other.data());
    EXPECT_EQ(differing(), 0) << "the chosen way";
}

}  // namespace
