// What the viewer reads off a scene file and writes back for its author: the
// camera as a pose and as a snippet of the format, the scene's size, and
// names for pictures that overwrite nothing.
#pragma once

#include <functional>
#include <string>

#include "scenefile/scene_file.h"
#include "viewer/camera_control.h"

// The file's camera at time t as a pinhole pose. The demo's camera has no
// pose of that kind; it gets the nearest one (looking along +x, +z up, its
// image plane's one unit each way at distance 1).
ViewPose poseAt(const FileCamera& camera, float t);

// A [camera] table the format reads back to the same floats, bit for bit.
std::string cameraSnippet(const ViewPose& pose);
// The same for the demo's camera at eye.
std::string demoCameraSnippet(const Vector3& eye);

// The diagonal of the box round the spheres, lights and camera at time t
// (planes have no size): what a step of the keys is scaled to. At least a
// thousandth of a unit, and 1 for a scene of nothing but planes.
double sceneSize(const SceneFile& scene, float t);

// "STEM-NNNN.png" in folder for the lowest NNNN from 0001 that taken() says
// is free, STEM being the scene file's name without its folder and .toml.
std::string freePictureName(const std::string& scenePath, const std::string& folder,
                            const std::function<bool(const std::string&)>& taken);
