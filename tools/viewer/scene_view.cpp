#include "viewer/scene_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

ViewPose poseAt(const FileCamera& camera, float t) {
    ViewPose pose;
    pose.eye = camera.eye.at(t);
    if (camera.kind == FileCamera::Kind::demo) {
        pose.target = Vector3(pose.eye.x + 1.0f, pose.eye.y, pose.eye.z);
        pose.up = Vector3(0.0f, 0.0f, 1.0f);
        pose.fovDegrees = static_cast<float>(2.0 * std::atan(0.5) * 180.0 / 3.14159265358979323846);
        return pose;
    }
    pose.target = camera.target.at(t);
    pose.up = camera.up;
    pose.fovDegrees = camera.fovDegrees;
    return pose;
}

namespace {

// Nine significant digits bring any float back from its decimal. A zero is
// written with a fraction: TOML reads "-0" as the integer 0, which drops the sign.
std::string number(float value) {
    if (value == 0.0f) return std::signbit(value) ? "-0.0" : "0.0";
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::string point(const Vector3& v) {
    std::string text = "[";
    text += number(v.x);
    text += ", ";
    text += number(v.y);
    text += ", ";
    text += number(v.z);
    text += "]";
    return text;
}

}  // namespace

std::string cameraSnippet(const ViewPose& pose) {
    return "[camera]\nkind = \"pinhole\"\neye = " + point(pose.eye) + "\ntarget = " + point(pose.target) +
           "\nup = " + point(pose.up) + "\nfov_degrees = " + number(pose.fovDegrees) + "\n";
}

std::string demoCameraSnippet(const Vector3& eye) { return "[camera]\nkind = \"demo\"\neye = " + point(eye) + "\n"; }

double sceneSize(const SceneFile& scene, float t) {
    double low[3], high[3];
    std::fill(low, low + 3, std::numeric_limits<double>::infinity());
    std::fill(high, high + 3, -std::numeric_limits<double>::infinity());
    const auto add = [&](const Vector3& p, double r) {
        const double c[3] = {p.x, p.y, p.z};
        for (int k = 0; k < 3; ++k) {
            if (!std::isfinite(c[k] - r) || !std::isfinite(c[k] + r)) return;
        }
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], c[k] - r);
            high[k] = std::max(high[k], c[k] + r);
        }
    };
    bool any = false;
    for (const FileObject& object : scene.objects) {
        if (object.kind != FileObject::Kind::sphere) continue;
        add(object.centre.at(t), object.radius);
        any = true;
    }
    for (const FileLight& light : scene.lights) {
        add(light.position.at(t), 0.0);
        any = true;
    }
    if (!any || !(low[0] <= high[0])) return 1.0;
    const ViewPose pose = poseAt(scene.camera, t);
    add(pose.eye, 0.0);
    const double d[3] = {high[0] - low[0], high[1] - low[1], high[2] - low[2]};
    const double size = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    return std::isfinite(size) ? std::max(size, 1e-3) : 1.0;
}

std::string freePictureName(const std::string& scenePath, const std::string& folder,
                            const std::function<bool(const std::string&)>& taken) {
    const std::string stem = std::filesystem::path(scenePath).stem().string();
    for (int n = 1;; ++n) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "-%04d.png", n);
        const std::string name = (std::filesystem::path(folder) / (stem + suffix)).string();
        if (!taken(name)) return name;
    }
}
