// Material: how a SceneObject's surface looks: its colour, its highlight and how much it mirrors.
#pragma once

#include "math/vector3.h"

// How a surface answers light. Exact values switch work off: specular 0 has
// no highlight, reflectivity 0 casts no mirror ray, reflectivity 1 is a pure mirror.
struct Material {
    Material(const Vector3& colour_, float specular_, float specularExponent_, float reflectivity_)
        : colour(colour_), specular(specular_), specularExponent(specularExponent_), reflectivity(reflectivity_) {}

    Vector3 colour;
    float specular;
    float specularExponent;
    float reflectivity;
};
