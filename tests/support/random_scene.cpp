#include "random_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "bmpwindow/canvas.h"
#include "geometry/plane.h"
#include "geometry/sphere.h"
#include "render/demo_camera.h"
#include "render/pinhole_camera.h"
#include "scene/light.h"
#include "scene/scene_object.h"
#include "scene/shading_steps.h"

namespace {

constexpr float INF = std::numeric_limits<float>::infinity();
constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

// A sphere the renderer does not know by kind: it goes through the virtual calls.
class Ball final : public Shape {
public:
    Ball(const Vector3& centre, float radius) : inner_(centre, radius) {}
    float intersect(const Ray& ray) const override { return inner_.intersect(ray); }
    Vector3 normalAt(const Vector3& p) const override { return inner_.normalAt(p); }

private:
    Sphere inner_;
};

// A camera of a user's own, with no key: its directions are asked for anew every frame.
class WobblyCamera final : public Camera {
public:
    WobblyCamera(const Vector3& eye, float wobble) : eye_(eye), wobble_(wobble) {}
    Vector3 position() const override { return eye_; }
    Vector3 direction(std::int32_t i, std::int32_t j, std::int32_t width, std::int32_t height) const override {
        const float u = (static_cast<float>(i) + 0.5f) / static_cast<float>(width) - 0.5f;
        const float v = (static_cast<float>(j) + 0.5f) / static_cast<float>(height) - 0.5f;
        return normalized(Vector3(1.0f, -u + wobble_ * v * v, -v));
    }

private:
    Vector3 eye_;
    float wobble_;
};

float special(Choices& c) {
    static constexpr float values[] = {0.0f, -0.0f, 1.0f, -1.0f, 1e-30f, -1e-30f, 1e30f, -1e30f, INF, -INF, NaN, 1e-45f};
    return values[c.below(sizeof values / sizeof values[0])];
}

// Mostly ordinary numbers, now and then one that is not.
float coordinate(Choices& c, float range) { return c.chance(3) ? special(c) : c.between(-range, range); }

Vector3 point(Choices& c, float range) { return {coordinate(c, range), coordinate(c, range), coordinate(c, range)}; }

Vector3 somewhereInView(Choices& c, const Vector3& eye) {
    return {eye.x + c.between(1.0f, 12.0f), eye.y + c.between(-5.0f, 5.0f), eye.z + c.between(-3.0f, 3.0f)};
}

Material material(Choices& c) {
    Vector3 colour(c.between(0.0f, 1.0f), c.between(0.0f, 1.0f), c.between(0.0f, 1.0f));
    if (c.chance(5)) colour = colour.scaled(5.0f);
    static constexpr float speculars[] = {0.0f, 1e-30f, 0.5f, 1e30f};
    float specular = c.chance(50) ? c.between(0.0f, 1.0f) : speculars[c.below(4)];
    float exponent = static_cast<float>(1 + c.below(64));
    if (c.chance(20)) {
        static constexpr float odd[] = {0.0f, 65.0f, 2.5f, -3.0f, 0.25f, 100.0f, NaN};
        exponent = odd[c.below(7)];
    }
    static constexpr float reflectivities[] = {0.0f, 1.0f, 1.5f, -0.5f};
    const float reflectivity = c.chance(40) ? c.between(0.0f, 1.0f) : reflectivities[c.below(4)];
    if (c.chance(2)) specular = special(c);
    return Material(colour, specular, exponent, reflectivity);
}

Vector3 unitOrNot(Choices& c) {
    Vector3 n(c.between(-1.0f, 1.0f), c.between(-1.0f, 1.0f), c.between(-1.0f, 1.0f));
    if (c.chance(70)) n = normalized(n);
    if (c.chance(3)) n = Vector3(0.0f, 0.0f, 0.0f);
    return n;
}

float radius(Choices& c) {
    if (c.chance(85)) return c.between(0.1f, 2.5f);
    static constexpr float odd[] = {0.0f, -1.0f, 1e-20f, 1e20f, 0.5f};
    return odd[c.below(5)];
}

Shape* shape(Choices& c, const RandomScene& world, std::ostringstream& story) {
    const std::uint32_t kind = c.below(100);
    if (kind < 30) {
        const Vector3 normal = unitOrNot(c);
        // Through the eye now and then: its rays start on the plane.
        const float offset = c.chance(15) ? dot(normal, world.eye) : coordinate(c, 8.0f);
        story << "P";
        return new Plane(PlaneEquation(normal, offset));
    }
    const Vector3 centre = c.chance(8) ? world.eye : c.chance(70) ? somewhereInView(c, world.eye) : point(c, 10.0f);
    const float r = radius(c);
    if (kind < 90) {
        story << "S";
        return new Sphere(centre, r);
    }
    story << "B";
    return new Ball(centre, r);
}

// A copy of the geometry of one of the scene's shapes, for exact ties.
Shape* duplicate(const Shape* original) {
    if (const auto* plane = dynamic_cast<const Plane*>(original)) return new Plane(plane->equation());
    if (const auto* sphere = dynamic_cast<const Sphere*>(original)) return new Sphere(sphere->centre, sphere->radius());
    return nullptr;
}

void addObject(Choices& c, RandomScene& world, std::ostringstream& story) {
    const auto& objects = world.scene->objects();
    Shape* s = nullptr;
    if (!objects.empty() && c.chance(10)) {
        s = duplicate(objects[c.below(static_cast<std::uint32_t>(objects.size()))]->shape());
        if (s != nullptr) story << "=";
    }
    if (s == nullptr) s = shape(c, world, story);
    world.scene->addObject(new SceneObject(material(c), s));
}

Vector3 lightPosition(Choices& c, const RandomScene& world) {
    const auto& objects = world.scene->objects();
    const std::uint32_t where = c.below(100);
    if (where < 10) return world.eye;
    if (where < 25 && !objects.empty()) {
        const Shape* s = objects[c.below(static_cast<std::uint32_t>(objects.size()))]->shape();
        if (const auto* sphere = dynamic_cast<const Sphere*>(s)) return sphere->centre;  // inside it
        if (const auto* plane = dynamic_cast<const Plane*>(s)) {
            return plane->equation().normal().scaled(plane->equation().offset());  // on it, for a unit normal
        }
    }
    Vector3 p = somewhereInView(c, world.eye);
    p.z += c.between(0.0f, 6.0f);
    if (c.chance(3)) p = point(c, 10.0f);
    return p;
}

void addLight(Choices& c, RandomScene& world) {
    const Vector3 intensity(c.between(0.0f, 100.0f), c.between(0.0f, 100.0f), c.between(0.0f, 100.0f));
    world.scene->addLight(new Light(lightPosition(c, world), intensity));
}

std::unique_ptr<Camera> camera(Choices& c, const Vector3& eye, std::ostringstream& story) {
    const std::uint32_t kind = c.below(100);
    if (kind < 60) {
        Vector3 target = somewhereInView(c, eye);
        if (c.chance(3)) target = eye;  // no direction to look in
        const Vector3 up = c.chance(80) ? Vector3(0.0f, 0.0f, 1.0f) : unitOrNot(c);
        const float fov = c.chance(90) ? c.between(10.0f, 120.0f) : special(c);
        story << " pinhole";
        return std::make_unique<PinholeCamera>(eye, target, up, fov);
    }
    if (kind < 85) {
        story << " demo";
        return std::make_unique<DemoCamera>(eye);
    }
    story << " keyless";
    return std::make_unique<WobblyCamera>(eye, c.between(-1.0f, 1.0f));
}

void pickSize(Choices& c, RandomScene& world) {
    static constexpr std::int32_t sizes[][2] = {{1, 1}, {1, 300}, {333, 7}, {17, 13}, {40, 30}, {29, 31}, {8, 64}};
    const auto& size = sizes[c.below(sizeof sizes / sizeof sizes[0])];
    world.width = size[0];
    world.height = size[1];
}

Vector3 anEye(Choices& c) { return c.chance(95) ? Vector3(c.between(-4.0f, 0.0f), c.between(-2.0f, 2.0f), c.between(0.2f, 3.0f)) : point(c, 5.0f); }

}  // namespace

float grazingRadius(const Vector3& centre, const Ray& ray, int ulps) {
    const Vector3 toCentre = centre - ray.origin;
    const float tca = dot(toCentre, ray.direction);
    const double tcaWide = tca;
    const float d2 = static_cast<float>(toCentre.lengthSquared() - tcaWide * tcaWide);
    float r = std::sqrt(std::max(d2, 0.0f));
    for (int k = 0; k < std::abs(ulps); ++k) r = std::nextafter(r, ulps > 0 ? INF : 0.0f);
    return r;
}

bool mirrorOffPlane(const Scene& scene, const Ray& ray, Ray& mirror) {
    float nearest = INF;
    const SceneObject* met = nullptr;
    for (const SceneObject* object : scene.objects()) {
        const float t = object->shape()->intersect(ray);
        if (t >= 0.0f && t < nearest) nearest = t, met = object;
    }
    const auto* plane = met != nullptr ? dynamic_cast<const Plane*>(met->shape()) : nullptr;
    if (plane == nullptr) return false;
    const Vector3 point = shadingPoint(ray, nearest);
    mirror = Ray(point, mirrorDirection(ray.direction, plane->normalAt(point)));
    return true;
}

Sphere* sphereGrazing(Choices& c, const Ray& ray, float along, float aside) {
    const Vector3& d = ray.direction;
    Vector3 side(c.between(-1.0f, 1.0f), c.between(-1.0f, 1.0f), c.between(-1.0f, 1.0f));
    side.addScaled(d, -dot(side, d) / d.lengthSquared());
    if (!(side.lengthSquared() > 1e-6f)) return nullptr;
    Vector3 centre = ray.origin;
    centre.addScaled(d, along);
    centre.addScaled(normalized(side), aside);
    return new Sphere(centre, grazingRadius(centre, ray, static_cast<int>(c.below(7)) - 3));
}

Sphere* tangentSphere(Choices& c, const RandomScene& world) {
    const auto i = static_cast<std::int32_t>(c.below(static_cast<std::uint32_t>(world.width)));
    const auto j = static_cast<std::int32_t>(c.below(static_cast<std::uint32_t>(world.height)));
    const Vector3 d = world.camera->direction(i, j, world.width, world.height);
    const Vector3 o = world.camera->position();
    if (Ray mirror(o, d); c.chance(60) && mirrorOffPlane(*world.scene, Ray(o, d), mirror)) {
        return sphereGrazing(c, mirror, c.between(0.5f, 30.0f), c.between(0.05f, 2.0f));
    }
    Vector3 side(-d.y, d.x, 0.0f);
    if (side.lengthSquared() == 0.0f) side = Vector3(1.0f, 0.0f, 0.0f);
    Vector3 centre = o;
    centre.addScaled(d, c.between(1.0f, 30.0f));
    centre.addScaled(normalized(side), c.between(0.05f, 2.0f));
    return new Sphere(centre, grazingRadius(centre, Ray(o, d), static_cast<int>(c.below(7)) - 3));
}

void addCrowd(Choices& c, RandomScene& world, std::int32_t n) {
    std::ostringstream story;
    story << " crowd of " << n;
    for (std::int32_t k = 0; k < n; ++k) {
        const auto& objects = world.scene->objects();
        const std::uint32_t kind = c.below(100);
        Shape* s = nullptr;
        if (kind < 8 && !objects.empty()) s = duplicate(objects[c.below(static_cast<std::uint32_t>(objects.size()))]->shape());
        if (s == nullptr && kind < 20) s = tangentSphere(c, world);
        if (s == nullptr) {
            Vector3 centre = somewhereInView(c, world.eye);
            float r = c.between(0.05f, 1.2f);
            const std::uint32_t odd = c.below(100);
            if (odd < 3) r = 1e-6f;
            else if (odd < 4) r = 1e6f;
            else if (odd < 6) centre = Vector3(c.between(-1e6f, 1e6f), c.between(-1e6f, 1e6f), c.between(-1e6f, 1e6f));
            else if (odd < 7) centre = world.eye;
            s = new Sphere(centre, r);
        }
        Material m = material(c);
        if (c.chance(50)) m.reflectivity = c.between(0.3f, 1.0f);
        world.scene->addObject(new SceneObject(m, s));
    }
    world.story += story.str();
}

RandomScene makeRandomScene(Choices& c, std::int32_t objects) {
    RandomScene world;
    world.scene = std::make_unique<Scene>();
    world.eye = anEye(c);
    std::ostringstream story;
    const std::uint32_t count = objects > 0 ? static_cast<std::uint32_t>(objects) : 1 + c.below(40);
    story << count << " objects ";
    for (std::uint32_t k = 0; k < count; ++k) addObject(c, world, story);
    const std::uint32_t lights = c.below(6);
    for (std::uint32_t k = 0; k < lights; ++k) addLight(c, world);
    story << ", " << lights << " lights,";
    world.camera = camera(c, world.eye, story);
    pickSize(c, world);
    story << " " << world.width << "x" << world.height;
    world.story = story.str();
    return world;
}

void changeRandomScene(Choices& c, RandomScene& world) {
    Scene& scene = *world.scene;
    const auto& objects = scene.objects();
    const auto pickObject = [&] { return c.below(static_cast<std::uint32_t>(objects.size())); };
    std::ostringstream story;
    switch (c.below(10)) {
        case 0:
        case 1:
            story << "nothing";
            break;
        case 2: {
            story << "moved";
            for (SceneObject* object : objects) {
                if (auto* sphere = dynamic_cast<Sphere*>(object->shape()); sphere != nullptr && c.chance(50)) {
                    sphere->centre.x += c.between(-0.5f, 0.5f);
                    if (c.chance(20)) break;
                }
            }
            break;
        }
        case 3:
            story << "material";
            if (!objects.empty()) objects[pickObject()]->material() = material(c);
            break;
        case 4:
            story << "light";
            if (!scene.lights().empty()) {
                Light& light = *scene.lights()[c.below(static_cast<std::uint32_t>(scene.lights().size()))];
                light.position() = lightPosition(c, world);
                light.intensity().x = c.between(0.0f, 200.0f);
            } else {
                addLight(c, world);
            }
            break;
        case 5: {
            story << "added ";
            addObject(c, world, story);
            break;
        }
        case 6:
            story << "removed";
            if (objects.size() > 1) scene.removeObject(pickObject());
            if (!scene.lights().empty() && c.chance(30)) scene.removeLight(0);
            break;
        case 7:
        case 8:
            world.eye = c.chance(50) ? anEye(c) : Vector3(world.eye.x + 0.1f, world.eye.y, world.eye.z);
            world.camera = camera(c, world.eye, story);
            story << " camera";
            break;
        case 9:
            pickSize(c, world);
            story << "size " << world.width << "x" << world.height;
            break;
    }
    world.story += "; " + story.str();
}

void renderWithModel(const Scene& scene, const Camera& camera, Canvas& canvas) {
    const std::int32_t width = canvas.width();
    const std::int32_t height = canvas.height();
    for (std::int32_t i = 0; i < width; ++i) {
        for (std::int32_t j = 0; j < height; ++j) {
            Vector3 c;
            scene.trace(Ray(camera.position(), camera.direction(i, j, width, height)), c);
            c.clampToOne();
            canvas.setPixel(i, j, Vector3(c.z, c.y, c.x));
        }
    }
}
