// Vector3: the tracer's one value type, for points, directions, normals and colours.
#pragma once

#include <cmath>

// A point, direction, normal or colour (red, green, blue in x, y, z).
// Every stored value is a float; each operation forms its intermediates in
// double and rounds once when it stores, which is what the pictures are made of.
struct Vector3 {
    float x, y, z;

    Vector3() = default;  // left unset on purpose: every caller assigns before reading
    constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    void set(float x_, float y_, float z_) { x = x_; y = y_; z = z_; }
    void set(const Vector3& v) { *this = v; }

    Vector3 operator-(const Vector3& v) const { return {x - v.x, y - v.y, z - v.z}; }

    void operator+=(const Vector3& v) { x += v.x; y += v.y; z += v.z; }

    // this + s·v with the product and the sum in double: not the same as
    // adding v.scaled(s), which rounds the product to float first.
    void addScaled(const Vector3& v, float s) {
        x = static_cast<float>(static_cast<double>(s) * v.x + x);
        y = static_cast<float>(static_cast<double>(s) * v.y + y);
        z = static_cast<float>(static_cast<double>(s) * v.z + z);
    }

    Vector3 scaled(float s) const { return {s * x, s * y, s * z}; }
    Vector3 mul(const Vector3& v) const { return {x * v.x, y * v.y, z * v.z}; }

    float dot(const Vector3& b) const { return static_cast<float>(dotWide(*this, b)); }
    float lengthSquared() const { return dot(*this); }
    float length() const { return static_cast<float>(std::sqrt(dotWide(*this, *this))); }

    // Unit length in place. Returns the old length and writes its reciprocal
    // to *reciprocalOut; the zero vector stays zero, returns EPSILON and
    // leaves *reciprocalOut alone.
    float normalize(float* reciprocalOut);

    void clampToOne() {
        if (x > 1.0f) x = 1.0f;
        if (y > 1.0f) y = 1.0f;
        if (z > 1.0f) z = 1.0f;
    }

    // ((a.x·b.x + a.y·b.y) + a.z·b.z), all in double.
    static double dotWide(const Vector3& a, const Vector3& b) {
        return (static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y) +
               static_cast<double>(a.z) * b.z;
    }
};

inline constexpr float EPSILON = 0.00001f;

inline float dot(const Vector3& a, const Vector3& b) { return a.dot(b); }

inline float Vector3::normalize(float* reciprocalOut) {
    const float len = length();
    if (len == 0.0f) return EPSILON;
    const float reciprocal = 1.0f / len;
    x *= reciprocal;
    y *= reciprocal;
    z *= reciprocal;
    *reciprocalOut = reciprocal;
    return len;
}

// Unit vector along v; (1, 0, 0) for the zero vector.
inline Vector3 normalized(const Vector3& v) {
    const float len = v.length();
    if (len == 0.0f) return {1.0f, 0.0f, 0.0f};
    return v.scaled(1.0f / len);
}
