#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "app/demo_animation.h"
#include "app/demo_scene.h"
#include "bmpwindow/memory_canvas.h"
#include "geometry/plane.h"
#include "geometry/sphere.h"
#include "scene/light.h"
#include "scene/scene.h"
#include "scene/scene_object.h"
#include "scenefile/scene_animation.h"
#include "scenefile/scene_file.h"

namespace {

const std::string demoPath = std::string(SCENES_DIR) + "/demo.toml";

SceneFile loadOrFail(const std::string& path) {
    SceneFileResult result = loadSceneFile(path);
    EXPECT_TRUE(result) << result.error.text();
    return result ? *result.scene : SceneFile{};
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool sameBits(const Vector3& a, const Vector3& b) {
    return sameBits(a.x, b.x) && sameBits(a.y, b.y) && sameBits(a.z, b.z);
}
bool sameMaterial(const Material& a, const Material& b) {
    return sameBits(a.colour, b.colour) && sameBits(a.specular, b.specular) &&
           sameBits(a.specularExponent, b.specularExponent) && sameBits(a.reflectivity, b.reflectivity);
}

// The minimal file around some objects and lights, with one material "m".
std::string withCamera(const std::string& rest) {
    return "format = 1\n"
           "[camera]\nkind = \"pinhole\"\neye = [0, -5, 1]\ntarget = [0, 0, 1]\nfov_degrees = 40\n"
           "[materials.m]\ncolour = [1, 1, 1]\n" +
           rest;
}

TEST(SceneFileDemo, BuildsTheDemoSceneToTheBit) {
    const SceneFile file = loadOrFail(demoPath);
    ASSERT_EQ(file.objects.size(), 4u);
    EXPECT_EQ(file.width, 400);
    EXPECT_EQ(file.camera.kind, FileCamera::Kind::demo);

    const DemoScene demo = makeDemoScene();
    SceneAnimation animation(file);
    const auto& want = demo.scene->objects();
    const auto& got = animation.scene().objects();
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t k = 0; k < want.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(sameMaterial(got[k]->material(), want[k]->material()));
        if (const auto* plane = dynamic_cast<const Plane*>(want[k]->shape())) {
            const auto* p = dynamic_cast<const Plane*>(got[k]->shape());
            ASSERT_NE(p, nullptr);
            EXPECT_TRUE(sameBits(p->equation().normal(), plane->equation().normal()));
            EXPECT_TRUE(sameBits(p->equation().offset(), plane->equation().offset()));
        } else {
            const auto* sphere = dynamic_cast<const Sphere*>(want[k]->shape());
            const auto* s = dynamic_cast<const Sphere*>(got[k]->shape());
            ASSERT_NE(s, nullptr);
            EXPECT_TRUE(sameBits(s->radius(), sphere->radius()));
        }
    }
    ASSERT_EQ(animation.scene().lights().size(), 1u);
    EXPECT_TRUE(sameBits(animation.scene().lights()[0]->intensity(), demo.light->intensity()));
    delete demo.scene;
}

// The demo's light and green sphere, placed by the file's orbits and by the
// demo's own code, at many times: bit for bit.
TEST(SceneFileDemo, OrbitsPlaceTheLightAndSphereAsTheDemoDoes) {
    const SceneFile file = loadOrFail(demoPath);
    ASSERT_EQ(file.objects.size(), 4u);
    const Motion& sphereMotion = file.objects[2].centre;
    const Motion& lightMotion = file.lights.at(0).position;
    ASSERT_NE(sphereMotion.orbit(), nullptr);
    ASSERT_NE(lightMotion.orbit(), nullptr);

    const DemoScene demo = makeDemoScene();
    std::vector<float> times = {0.0f, -0.0f, 2.5f, 20.0f, 1e-30f, -3.25f, 1e6f, 31.415926f, 7.853982f};
    std::mt19937 random(19);
    std::uniform_real_distribution<float> seconds(-100.0f, 10000.0f);
    for (int k = 0; k < 20000; ++k) times.push_back(seconds(random));
    for (float t : times) {
        placeDemoScene(demo.light, demo.sphere, t);
        const Vector3 centre = dynamic_cast<const Sphere*>(demo.sphere->shape())->centre;
        ASSERT_TRUE(sameBits(sphereMotion.at(t), centre)) << "t = " << t;
        ASSERT_TRUE(sameBits(lightMotion.at(t), demo.light->position())) << "t = " << t;
    }
    delete demo.scene;
}

// The whole frame, through the file and through the demo, at the golden times.
TEST(SceneFileDemo, FramesAreTheDemosFrames) {
    const SceneFile file = loadOrFail(demoPath);
    SceneAnimation fromFile(file);
    DemoAnimation demo;
    for (float t : {0.0f, 2.5f, 20.0f}) {
        MemoryCanvas a(file.width, file.height);
        MemoryCanvas b(400, 400);
        fromFile.renderAt(a, t);
        demo.renderAt(b, t);
        int differing = 0;
        for (std::int32_t y = 0; y < 400; ++y) {
            for (std::int32_t x = 0; x < 400; ++x) differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
        EXPECT_EQ(differing, 0) << "t = " << t;
    }
}

TEST(SceneFileNumbers, DecimalsRoundStraightToFloatAsLiteralsDo) {
    // Via double this one would land on the halfway point between two floats
    // and round to even, down to 1; straight to float it rounds up.
    const float direct = 1.000000059604644775390625001f;
    ASSERT_NE(direct, static_cast<float>(1.000000059604644775390625001));
    const SceneFileResult result = parseSceneFile(
        withCamera("[materials.n]\ncolour = [0.1, 1.000000059604644775390625001, 0.7]\nspecular = 1_000.5e-3\n"
                   "reflectivity = -0.0\n[[objects]]\nmaterial = \"n\"\nsphere = { centre = [0.3, 0, 0], radius = 0.7 }\n"
                   "[[lights]]\nintensity = [1, 1, 1]\nposition = { orbit = { centre = [0.1, 0, 0], radius = 0.1,"
                   " radians_per_second = 0.1, plane = \"xy\" } }\n"),
        "n.toml");
    ASSERT_TRUE(result) << result.error.text();
    const Material& m = result.scene->objects[0].material;
    EXPECT_TRUE(sameBits(m.colour, Vector3(0.1f, direct, 0.7f)));
    EXPECT_TRUE(sameBits(m.specular, 1.0005f));
    EXPECT_TRUE(sameBits(m.reflectivity, -0.0f));
    EXPECT_TRUE(sameBits(result.scene->objects[0].centre.at(0.0f), Vector3(0.3f, 0.0f, 0.0f)));
    // The orbit's numbers stay double, as the demo writes its constants.
    const Orbit* orbit = result.scene->lights[0].position.orbit();
    ASSERT_NE(orbit, nullptr);
    EXPECT_EQ(orbit->centre[0], 0.1);
    EXPECT_EQ(orbit->radiansPerSecond, 0.1);
}

// Random decimals of every length and scale, as floats and as doubles,
// against the C library's correctly rounded reading.
TEST(SceneFileNumbers, RandomDecimalsMatchCorrectRounding) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> digit(0, 9), length(1, 25), exponent(-44, 28), point(0, 8);
    std::string keyframes;
    std::vector<std::string> floats, doubles;
    for (int k = 0; k < 600; ++k) {
        std::string value = "[";
        for (int c = 0; c < 3; ++c) {
            // 1 to 9 digits before the point, 1 to 25 after, and an exponent.
            std::string whole(1, static_cast<char>('1' + digit(random) % 9));
            const int before = point(random);
            for (int d = 0; d < before; ++d) whole.push_back(static_cast<char>('0' + digit(random)));
            std::string fraction;
            const int n = length(random);
            for (int d = 0; d < n; ++d) fraction.push_back(static_cast<char>('0' + digit(random)));
            const std::string text = whole + "." + fraction + "e" + std::to_string(exponent(random));
            floats.push_back(text);
            value += (c ? ", " : "") + text;
        }
        const std::string seconds = std::to_string(k) + "." + std::to_string(digit(random)) + "00000000000000000001";
        doubles.push_back(seconds);
        keyframes += "{ seconds = " + seconds + ", value = " + value + "] },\n";
    }
    const SceneFileResult result =
        parseSceneFile(withCamera("[[lights]]\nintensity = [1, 1, 1]\nposition = { keyframes = [\n" + keyframes + "] }\n"),
                       "random.toml");
    ASSERT_TRUE(result) << result.error.text();
    const auto& frames = *result.scene->lights[0].position.keyframes();
    ASSERT_EQ(frames.size(), doubles.size());
    for (std::size_t k = 0; k < frames.size(); ++k) {
        EXPECT_EQ(frames[k].seconds, std::strtod(doubles[k].c_str(), nullptr)) << doubles[k];
        const float v[3] = {frames[k].value.x, frames[k].value.y, frames[k].value.z};
        for (int c = 0; c < 3; ++c) {
            const std::string& text = floats[k * 3 + static_cast<std::size_t>(c)];
            EXPECT_TRUE(sameBits(v[c], std::strtof(text.c_str(), nullptr))) << text;
        }
    }
}

TEST(SceneFileMotion, KeyframesHoldBeforeAndAfterAndRunStraightBetween) {
    const Motion m(std::vector<Keyframe>{{1.0, Vector3(0.0f, 0.0f, 0.0f)},
                                         {3.0, Vector3(2.0f, 4.0f, -2.0f)},
                                         {4.0, Vector3(2.0f, 4.0f, 8.0f)}});
    EXPECT_TRUE(sameBits(m.at(-5.0f), Vector3(0.0f, 0.0f, 0.0f)));
    EXPECT_TRUE(sameBits(m.at(1.0f), Vector3(0.0f, 0.0f, 0.0f)));
    EXPECT_TRUE(sameBits(m.at(2.0f), Vector3(1.0f, 2.0f, -1.0f)));
    EXPECT_TRUE(sameBits(m.at(3.0f), Vector3(2.0f, 4.0f, -2.0f)));
    EXPECT_TRUE(sameBits(m.at(3.5f), Vector3(2.0f, 4.0f, 3.0f)));
    EXPECT_TRUE(sameBits(m.at(4.0f), Vector3(2.0f, 4.0f, 8.0f)));
    EXPECT_TRUE(sameBits(m.at(1e9f), Vector3(2.0f, 4.0f, 8.0f)));
    EXPECT_TRUE(sameBits(m.at(std::numeric_limits<float>::quiet_NaN()), Vector3(0.0f, 0.0f, 0.0f)));
}

TEST(SceneFileMotion, OrbitPlaneNamesCosineAxisThenSineAxis) {
    Orbit o;
    o.centre[0] = 1.0;
    o.centre[1] = 2.0;
    o.centre[2] = 3.0;
    o.radius = 2.0;
    o.first = Axis::z;
    o.second = Axis::x;
    EXPECT_TRUE(sameBits(o.at(0.0f), Vector3(1.0f, 2.0f, 5.0f)));  // cos along z
    o.startRadians = std::acos(-1.0) / 2.0;
    const Vector3 quarter = o.at(0.0f);  // sin along x
    EXPECT_EQ(quarter.x, 3.0f);
    EXPECT_EQ(quarter.y, 2.0f);
    EXPECT_NEAR(quarter.z, 3.0f, 1e-6f);
}

struct BadFile {
    const char* what;
    std::string text;
    const char* place;    // "LINE:COLUMN"
    const char* message;  // a part of the message
};

// Every kind of error, each at its own line and column, naming its element.
TEST(SceneFileErrors, EachKindReportsItsPlaceAndElement) {
    const std::string head = withCamera("");  // 8 lines
    const std::vector<BadFile> cases = {
        {"syntax", "format = 1\ncamera = [1,\n", "2:14", "end-of-file"},
        {"version", "# new\nformat = 2\nnew_key = 1\n", "2:10", "format: version 2 is not known"},
        {"version type", "format = \"1\"\n", "1:10", "format: expected a whole number, found a string"},
        // Characters that toml++'s whitespace table wrongly takes for unreachable.
        {"bare letter", "format = 1 \u00e9\n", "1:12", "saw '\u00e9'"},
        {"bare mark", "format = \u3001\n", "1:10", "could not determine value type"},
        {"no version", "[camera]\nkind = \"demo\"\n", "1:1", "missing key \"format\""},
        {"unknown top key", "format = 1\nlihgts = []\n" + head.substr(11), "2:1", "unknown key \"lihgts\" at the top level (did you mean \"lights\"?)"},
        {"unknown key", head + "specularr = 1\n", "9:1", "in materials.m (did you mean \"specular\"?)"},
        {"unknown nested key", head + "[[objects]]\nmaterial = \"m\"\nsphere = { centre = [0, 0, 0], raduis = 1 }\n",
         "11:32", "unknown key \"raduis\" in objects[1].sphere (did you mean \"radius\"?)"},
        {"wrong type", head + "[[lights]]\nposition = [0, 0, 0]\nintensity = \"bright\"\n", "11:13",
         "lights[1].intensity: expected [x, y, z], found a string"},
        {"wrong count", head + "[[lights]]\nposition = [0, 0]\nintensity = [1, 1, 1]\n", "10:12",
         "lights[1].position: expected 3 numbers, found 2"},
        {"element type", head + "[[lights]]\nposition = [0, true, 0]\nintensity = [1, 1, 1]\n", "10:16",
         "lights[1].position[2]: expected a number, found a boolean"},
        {"missing key", head + "\n[[lights]]\nintensity = [1, 1, 1]\n", "10:1", "lights[1]: missing key \"position\""},
        {"undefined material", head + "[[objects]]\nmaterial = \"mx\"\nplane = { normal = [0, 0, 1], offset = 0 }\n",
         "10:12", "objects[1].material: no material named \"mx\" (did you mean \"m\"?)"},
        {"two shapes", head + "[[objects]]\nmaterial = \"m\"\nplane = { normal = [0, 0, 1], offset = 0 }\n"
                              "sphere = { centre = [0, 0, 0], radius = 1 }\n",
         "12:10", "objects[1]: expected one shape, plane or sphere"},
        {"no shape", head + "[[objects]]\nmaterial = \"m\"\n", "9:1", "expected one shape"},
        {"radius", head + "[[objects]]\nmaterial = \"m\"\nsphere = { centre = [0, 0, 0], radius = 0 }\n", "11:41",
         "objects[1].sphere.radius: expected a radius above 0"},
        {"zero normal", head + "[[objects]]\nmaterial = \"m\"\nplane = { normal = [0, 0, 0], offset = 0 }\n", "11:20",
         "normal: the zero vector"},
        {"fov", "format = 1\n[camera]\nkind = \"pinhole\"\neye = [0, 0, 0]\ntarget = [1, 0, 0]\nfov_degrees = 180\n",
         "6:15", "camera.fov_degrees: expected a field of view above 0 and below 180 degrees"},
        {"fov unit", "format = 1\n[camera]\nkind = \"pinhole\"\neye = [0, 0, 0]\ntarget = [1, 0, 0]\nfov = 1\n", "6:1",
         "unknown key \"fov\" in camera (did you mean \"fov_degrees\"?)"},
        {"up along sight",
         "format = 1\n[camera]\nkind = \"pinhole\"\neye = [0, 0, 0]\ntarget = [0, 0, -3]\nfov_degrees = 60\n", "2:1",
         "camera.up: lies along the line of sight"},
        {"eye on target", "format = 1\n[camera]\nkind = \"pinhole\"\neye = [1, 2, 3]\ntarget = [1, 2, 3]\nfov_degrees = 60\n",
         "5:10", "camera.target: the same point as camera.eye"},
        {"camera kind", "format = 1\n[camera]\nkind = \"fisheye\"\n", "3:8", "camera.kind: expected \"pinhole\" or \"demo\""},
        {"non-finite", head + "specular = inf\n", "9:12", "materials.m.specular: expected a finite number"},
        {"nan", head + "[[lights]]\nposition = [0, 0, nan]\nintensity = [1, 1, 1]\n", "10:19", "expected a finite number"},
        {"float range", head + "specular = 3.5e38\n", "9:12", "3.5e38 is out of the range of a 32-bit float"},
        {"image size", "format = 1\n[image]\nwidth = 0\nheight = 10\n", "3:9", "image.width: 0 is outside 1 to 16384"},
        {"keyframe order",
         head + "[[lights]]\nintensity = [1, 1, 1]\nposition = { keyframes = [{ seconds = 1, value = [0, 0, 0] },\n"
                "  { seconds = 1, value = [1, 1, 1] }] }\n",
         "12:15", "lights[1].position.keyframes[2].seconds: must be later than the keyframe before it"},
        {"motion kind", head + "[[lights]]\nintensity = [1, 1, 1]\nposition = { orbitt = {} }\n", "11:14",
         "unknown key \"orbitt\" in lights[1].position (did you mean \"orbit\"?)"},
        {"orbit plane",
         head + "[[lights]]\nintensity = [1, 1, 1]\nposition = { orbit = { centre = [0, 0, 0], radius = 1,"
                " radians_per_second = 1, plane = \"xx\" } }\n",
         "11:88", "lights[1].position.orbit.plane: expected two different axes"},
        {"objects shape", "format = 1\nobjects = 3\n" + head.substr(11), "2:11", "objects: expected an array of tables"},
    };
    for (const BadFile& c : cases) {
        const SceneFileResult result = parseSceneFile(c.text, "bad.toml");
        ASSERT_FALSE(result) << c.what;
        const std::string text = result.error.text();
        EXPECT_EQ(text.rfind("bad.toml:" + std::string(c.place) + ": ", 0), 0u) << c.what << ": " << text;
        EXPECT_NE(text.find(c.message), std::string::npos) << c.what << ": " << text;
        EXPECT_FALSE(result.unreadable) << c.what;
        EXPECT_EQ(text.find('\n'), std::string::npos) << c.what << ": one line";
    }
}

TEST(SceneFileErrors, UnreadableFilesSayWhy) {
    const SceneFileResult missing = loadSceneFile(std::string(SCENES_DIR) + "/no-such-scene.toml");
    ASSERT_FALSE(missing);
    EXPECT_TRUE(missing.unreadable);
    EXPECT_NE(missing.error.text().find("no-such-scene.toml: cannot read: "), std::string::npos) << missing.error.text();
    const SceneFileResult folder = loadSceneFile(SCENES_DIR);
    ASSERT_FALSE(folder);
    EXPECT_TRUE(folder.unreadable);
    // Too large to parse within the memory the loader allows itself.
    const SceneFileResult big = parseSceneFile(std::string(SCENE_FILE_MAX_BYTES + 1, ' '), "big.toml");
    ASSERT_FALSE(big);
    EXPECT_TRUE(big.unreadable);
    EXPECT_EQ(big.error.text(), "big.toml: larger than 8 MiB");
}

// Every cut of a good file, and random bytes written over it, load or fail
// with a placed message: never a crash, a throw or a hang.
TEST(SceneFileErrors, DamagedFilesFailCleanly) {
    std::FILE* f = std::fopen(demoPath.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::string demo;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) demo.append(buffer, n);
    std::fclose(f);
    std::mt19937 random(3);
    std::uniform_int_distribution<std::size_t> at(0, demo.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::string> damaged;
    for (std::size_t cut = 0; cut < demo.size(); cut += 7) damaged.push_back(demo.substr(0, cut));
    for (int k = 0; k < 400; ++k) {
        std::string copy = demo;
        for (int n = 0; n < 1 + k % 3; ++n) copy[at(random)] = static_cast<char>(byte(random));
        damaged.push_back(copy);
    }
    for (const std::string& text : damaged) {
        const SceneFileResult result = parseSceneFile(text, "d.toml");
        if (!result) {
            EXPECT_GE(result.error.line, 1);
            EXPECT_GE(result.error.column, 1);
        }
    }
}

}  // namespace
