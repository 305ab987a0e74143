// The field of many_spheres.h traced with Embree 3 on one thread, as an
// anchor for ManySpheres/still and /moving: a BVH built once, and per pixel
// the rays Scene::trace casts, shaded with the model's own steps.
#include <embree3/rtcore.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "bmpwindow/memory_canvas.h"
#include "bmpwindow/pack_colour.h"
#include "geometry/plane.h"
#include "geometry/sphere.h"
#include "many_spheres.h"
#include "many_spheres_sizes.h"
#include "render/scene_renderer.h"
#include "scene/scene_object.h"
#include "scene/shading_steps.h"

namespace {

struct RayCounts {
    std::int64_t primary = 0;
    std::int64_t mirror = 0;
    std::int64_t shadow = 0;
};

// The model accepts t < nearest and t < distance, strictly; Embree may
// accept a hit at tfar itself.
float below(float t) { return std::nextafter(t, 0.0f); }

void setRay(RTCRay& r, const Ray& ray, float tfar) {
    r.org_x = ray.origin.x;
    r.org_y = ray.origin.y;
    r.org_z = ray.origin.z;
    r.tnear = 0.0f;
    r.dir_x = ray.direction.x;
    r.dir_y = ray.direction.y;
    r.dir_z = ray.direction.z;
    r.time = 0.0f;
    r.tfar = tfar;
    r.mask = ~0u;
    r.id = 0;
    r.flags = 0;
}

// The scene's spheres in one Embree point geometry; its planes tested here,
// per ray. An infinite plane has no bounds to put in a BVH (as a user
// geometry it would need a huge box and a callback on every ray anyway), and
// testing it first gives Embree a shorter tfar to cull with, as the model's
// nearest-so-far does. Mirror rays are passed on unnormalised as the model
// makes them; Embree's sphere is exact for any length, the model's test is not.
class EmbreeField {
public:
    explicit EmbreeField(const Scene& scene) : lights_(scene.lights()) {
        for (const SceneObject* object : scene.objects()) {
            if (const auto* sphere = dynamic_cast<const Sphere*>(object->shape())) {
                balls_.push_back({&object->material(), sphere->centre, sphere->radius(), sphere->inverseRadius()});
            } else if (const auto* plane = dynamic_cast<const Plane*>(object->shape())) {
                flats_.push_back({&object->material(), plane->equation().normal(), plane->equation().offset()});
            } else {
                error_ = "only planes and spheres are traced with Embree";
                return;
            }
        }
        // One build thread, so that TBB starts no workers; the ISA is Embree's own choice.
        device_ = rtcNewDevice("threads=1");
        if (device_ == nullptr) {
            error_ = "rtcNewDevice failed";
            return;
        }
        scene_ = rtcNewScene(device_);
        // Built once and traced many times: worth the slower, better build.
        rtcSetSceneBuildQuality(scene_, RTC_BUILD_QUALITY_HIGH);
        if (!balls_.empty()) {
            RTCGeometry geometry = rtcNewGeometry(device_, RTC_GEOMETRY_TYPE_SPHERE_POINT);
            auto* xyzr = static_cast<float*>(rtcSetNewGeometryBuffer(
                geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT4, 4 * sizeof(float), balls_.size()));
            if (xyzr != nullptr) {
                for (const Ball& b : balls_) {
                    *xyzr++ = b.centre.x;
                    *xyzr++ = b.centre.y;
                    *xyzr++ = b.centre.z;
                    *xyzr++ = b.radius;
                }
            }
            rtcCommitGeometry(geometry);
            rtcAttachGeometry(scene_, geometry);
            rtcReleaseGeometry(geometry);
        }
        rtcCommitScene(scene_);
        if (rtcGetDeviceError(device_) != RTC_ERROR_NONE) error_ = "Embree could not build the scene";
        rtcInitIntersectContext(&coherent_);
        coherent_.flags = RTC_INTERSECT_CONTEXT_FLAG_COHERENT;
        rtcInitIntersectContext(&incoherent_);
    }

    ~EmbreeField() {
        if (scene_ != nullptr) rtcReleaseScene(scene_);
        if (device_ != nullptr) rtcReleaseDevice(device_);
    }
    EmbreeField(const EmbreeField&) = delete;
    EmbreeField& operator=(const EmbreeField&) = delete;

    const std::string& error() const { return error_; }
    const RayCounts& counts() const { return counts_; }  // of the last frame

    // One frame into rgb, 3 bytes a pixel, rows from the top. Primary rays go
    // 8 rows of one column at a time, in a packet.
    void render(const Camera& camera, std::int32_t width, std::int32_t height, std::uint8_t* rgb) {
        counts_ = {};
        column_.resize(static_cast<std::size_t>(height));
        const Vector3 eye = camera.position();
        for (std::int32_t i = 0; i < width; ++i) {
            camera.columnDirections(i, 0, height, width, height, column_.data());
            for (std::int32_t j0 = 0; j0 < height; j0 += 8) {
                alignas(32) int valid[8];
                RTCRayHit8 packet;
                float planeDistances[8];
                const Flat* planes[8];
                for (int l = 0; l < 8; ++l) {
                    const std::int32_t j = std::min(j0 + l, height - 1);
                    valid[l] = j0 + l < height ? -1 : 0;
                    const Vector3& d = column_[static_cast<std::size_t>(j)];
                    planeDistances[l] = 1e9f;
                    planes[l] = nearestFlat(Ray(eye, d), planeDistances[l]);
                    packet.ray.org_x[l] = eye.x;
                    packet.ray.org_y[l] = eye.y;
                    packet.ray.org_z[l] = eye.z;
                    packet.ray.tnear[l] = 0.0f;
                    packet.ray.dir_x[l] = d.x;
                    packet.ray.dir_y[l] = d.y;
                    packet.ray.dir_z[l] = d.z;
                    packet.ray.time[l] = 0.0f;
                    packet.ray.tfar[l] = below(planeDistances[l]);
                    packet.ray.mask[l] = ~0u;
                    packet.ray.id[l] = static_cast<unsigned>(l);
                    packet.ray.flags[l] = 0;
                    packet.hit.geomID[l] = RTC_INVALID_GEOMETRY_ID;
                }
                rtcIntersect8(valid, scene_, &coherent_, &packet);
                for (int l = 0; l < 8 && j0 + l < height; ++l) {
                    ++counts_.primary;
                    const std::int32_t j = j0 + l;
                    const Ray ray(eye, column_[static_cast<std::size_t>(j)]);
                    Vector3 c;
                    if (packet.hit.geomID[l] != RTC_INVALID_GEOMETRY_ID) {
                        shadeHit(ray, packet.ray.tfar[l], balls_[packet.hit.primID[l]], c, 0);
                    } else if (planes[l] != nullptr) {
                        shadeHit(ray, planeDistances[l], *planes[l], c, 0);
                    } else {
                        c = backgroundColour;
                    }
                    c.clampToOne();
                    std::uint8_t* p = rgb + 3 * (static_cast<std::size_t>(j) * static_cast<std::size_t>(width) +
                                                 static_cast<std::size_t>(i));
                    p[0] = static_cast<std::uint8_t>(colourByte(c.x));
                    p[1] = static_cast<std::uint8_t>(colourByte(c.y));
                    p[2] = static_cast<std::uint8_t>(colourByte(c.z));
                }
            }
        }
    }

private:
    struct Ball {
        const Material* material;
        Vector3 centre;
        float radius;
        float inverseRadius;
        Vector3 normalAt(const Vector3& point) const { return sphereNormal(centre, inverseRadius, point); }
    };
    struct Flat {
        const Material* material;
        Vector3 normal;
        float offset;
        Vector3 normalAt(const Vector3&) const { return normal; }
    };

    // The nearest plane below `nearest` along ray, as the model's loop finds it.
    const Flat* nearestFlat(const Ray& ray, float& nearest) const {
        const Flat* hit = nullptr;
        for (const Flat& f : flats_) {
            const float t = planeDistance(f.normal, f.offset, ray);
            if (t >= 0.0f && t < nearest) {
                nearest = t;
                hit = &f;
            }
        }
        return hit;
    }

    // SceneObject::shade and Scene::shade, with this tracer's rays.
    template <class Hit>
    void shadeHit(const Ray& ray, float distance, const Hit& hit, Vector3& colourOut, int depth) {
        const Vector3 point = shadingPoint(ray, distance);
        shadeSteps(
            *hit.material, lights_, ray.direction, point, hit.normalAt(point), colourOut,
            [&](const Ray& mirrorRay, Vector3& colour) { traceMirror(mirrorRay, colour, depth + 1); },
            [&](const Ray& shadowRay, float d) { return occluded(shadowRay, d); }, specularHighlight);
    }

    // Scene::trace for a mirror ray: past the depth limit the background, untraced.
    void traceMirror(const Ray& ray, Vector3& colourOut, int depth) {
        if (depth > MAX_REFLECTION_DEPTH) {
            colourOut = backgroundColour;
            return;
        }
        ++counts_.mirror;
        float nearest = 1e9f;
        const Flat* plane = nearestFlat(ray, nearest);
        RTCRayHit rayHit;
        setRay(rayHit.ray, ray, below(nearest));
        rayHit.hit.geomID = RTC_INVALID_GEOMETRY_ID;
        rtcIntersect1(scene_, &incoherent_, &rayHit);
        if (rayHit.hit.geomID != RTC_INVALID_GEOMETRY_ID) {
            shadeHit(ray, rayHit.ray.tfar, balls_[rayHit.hit.primID], colourOut, depth);
        } else if (plane != nullptr) {
            shadeHit(ray, nearest, *plane, colourOut, depth);
        } else {
            colourOut = backgroundColour;
        }
    }

    // Scene::isOccluded: anything met in [0, distance).
    bool occluded(const Ray& ray, float distance) {
        ++counts_.shadow;
        for (const Flat& f : flats_) {
            const float t = planeDistance(f.normal, f.offset, ray);
            if (t >= 0.0f && t < distance) return true;
        }
        RTCRay shadow;
        setRay(shadow, ray, below(distance));
        rtcOccluded1(scene_, &incoherent_, &shadow);
        return shadow.tfar < 0.0f;  // -inf once something is met
    }

    const std::vector<Light*>& lights_;
    std::vector<Ball> balls_;  // by Embree's primID
    std::vector<Flat> flats_;  // in the scene's order
    RTCDevice device_ = nullptr;
    RTCScene scene_ = nullptr;
    RTCIntersectContext coherent_;
    RTCIntersectContext incoherent_;
    std::vector<Vector3> column_;
    RayCounts counts_;
    std::string error_;
};

// The process's threads, to see that Embree started none; -1 where
// /proc cannot tell.
int processThreads() {
    std::error_code failed;
    int n = 0;
    for (std::filesystem::directory_iterator it("/proc/self/task", failed), end; !failed && it != end;
         it.increment(failed)) {
        ++n;
    }
    return failed ? -1 : n;
}

// The share of pixels with a channel more than 8 away from SceneRenderer's
// frame of the same scene and camera.
double shareOff(const std::vector<std::uint8_t>& rgb, const Scene& scene, const Camera& camera) {
    MemoryCanvas canvas(MANY_SPHERES_WIDTH, MANY_SPHERES_HEIGHT);
    SceneRenderer().render(scene, camera, canvas);
    std::int64_t off = 0;
    for (std::int32_t j = 0; j < MANY_SPHERES_HEIGHT; ++j) {
        for (std::int32_t i = 0; i < MANY_SPHERES_WIDTH; ++i) {
            const std::uint32_t word = canvas.pixel(i, j);
            const int model[3] = {static_cast<int>(word >> 16 & 0xFFu), static_cast<int>(word >> 8 & 0xFFu),
                                  static_cast<int>(word & 0xFFu)};
            const std::uint8_t* p = &rgb[3 * (static_cast<std::size_t>(j) * MANY_SPHERES_WIDTH +
                                              static_cast<std::size_t>(i))];
            bool differs = false;
            for (int k = 0; k < 3; ++k) differs = differs || std::abs(p[k] - model[k]) > 8;
            off += differs ? 1 : 0;
        }
    }
    return static_cast<double>(off) / (static_cast<double>(MANY_SPHERES_WIDTH) * MANY_SPHERES_HEIGHT);
}

// The still camera's frame, with the BVH built before the timing starts.
void ManySpheresEmbree(benchmark::State& state) {
    Scene scene;
    buildManySpheres(scene, static_cast<std::int32_t>(state.range(0)));
    const PinholeCamera camera = manySpheresCamera();
    const int threadsBefore = processThreads();
    EmbreeField field(scene);
    if (!field.error().empty()) {
        state.SkipWithError(field.error().c_str());
        return;
    }
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(3 * MANY_SPHERES_WIDTH * MANY_SPHERES_HEIGHT));
    field.render(camera, MANY_SPHERES_WIDTH, MANY_SPHERES_HEIGHT, rgb.data());
    const double pixelsOff = shareOff(rgb, scene, camera);
    for (auto _ : state) {
        field.render(camera, MANY_SPHERES_WIDTH, MANY_SPHERES_HEIGHT, rgb.data());
        benchmark::DoNotOptimize(rgb.data());
        benchmark::ClobberMemory();
    }
    const RayCounts& counts = field.counts();
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["primary"] = static_cast<double>(counts.primary);
    state.counters["mirror"] = static_cast<double>(counts.mirror);
    state.counters["shadow"] = static_cast<double>(counts.shadow);
    state.counters["pixels_off"] = pixelsOff;
    state.counters["extra_threads"] = processThreads() - threadsBefore;
}

}  // namespace

BENCHMARK(ManySpheresEmbree)->Name("ManySpheres/embree")->Apply(manySpheresSizes);
