#include "scenefile/scene_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <new>

#include "scenefile/toml_parser.h"

std::string SceneFileError::text() const {
    if (line <= 0) return file + ": " + message;
    return file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message;
}

namespace {

using Keys = std::initializer_list<std::string_view>;

std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[b.size()];
}

// " (did you mean "x"?)" for the nearest of names when it is near enough.
template <typename Names>
std::string suggestion(std::string_view word, const Names& names) {
    std::string_view best;
    std::size_t bestDistance = static_cast<std::size_t>(-1);
    for (const auto& name : names) {
        const std::size_t d = editDistance(word, name);
        if (d < bestDistance) {
            bestDistance = d;
            best = name;
        }
    }
    // A key written without its unit ("fov" for "fov_degrees") is a start of it.
    for (const auto& name : names) {
        if (word.size() >= 2 && std::string_view(name).substr(0, word.size()) == word) {
            return " (did you mean \"" + std::string(name) + "\"?)";
        }
    }
    const std::size_t limit = std::max<std::size_t>(2, word.size() / 3);
    if (best.empty() || bestDistance > limit || bestDistance >= word.size()) return "";
    return " (did you mean \"" + std::string(best) + "\"?)";
}

std::string typeName(const toml::node& node) {
    switch (node.type()) {
        case toml::node_type::table: return "a table";
        case toml::node_type::array: return "an array";
        case toml::node_type::string: return "a string";
        case toml::node_type::integer: return "an integer";
        case toml::node_type::floating_point: return "a number with a fraction";
        case toml::node_type::boolean: return "a boolean";
        case toml::node_type::date: return "a date";
        case toml::node_type::time: return "a time";
        case toml::node_type::date_time: return "a date-time";
        default: return "nothing";
    }
}

std::string join(const std::string& path, std::string_view key) {
    return path.empty() ? std::string(key) : path + "." + std::string(key);
}

std::string indexed(const std::string& path, std::size_t index) {
    return path + "[" + std::to_string(index + 1) + "]";
}

class Reader {
public:
    Reader(std::string_view text, std::string name) : text_(text), name_(std::move(name)) {
        lineStarts_.push_back(text_.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0);
        for (std::size_t i = 0; i < text_.size(); ++i) {
            if (text_[i] == '\n') lineStarts_.push_back(i + 1);
        }
    }

    const SceneFileError& error() const { return error_; }

    bool fail(const toml::source_position& at, std::string message) {
        if (!failed_) {
            failed_ = true;
            error_.file = name_;
            error_.line = at.line == 0 ? 1 : at.line;
            error_.column = at.column == 0 ? 1 : at.column;
            error_.message = std::move(message);
        }
        return false;
    }
    bool fail(const toml::node& at, std::string message) { return fail(at.source().begin, std::move(message)); }

    bool read(const toml::table& root, SceneFile& scene);

private:
    // Every key of table is one of allowed; else the first stray one in the
    // file is the error.
    bool onlyKeys(const toml::table& table, const std::string& path, Keys allowed) {
        const toml::key* stray = nullptr;
        for (auto&& [key, value] : table) {
            (void)value;
            if (std::find(allowed.begin(), allowed.end(), key.str()) != allowed.end()) continue;
            const auto& a = key.source().begin;
            if (stray == nullptr || a.line < stray->source().begin.line ||
                (a.line == stray->source().begin.line && a.column < stray->source().begin.column)) {
                stray = &key;
            }
        }
        if (stray == nullptr) return true;
        const std::string where = path.empty() ? "at the top level" : "in " + path;
        return fail(stray->source().begin,
                    "unknown key \"" + std::string(stray->str()) + "\" " + where + suggestion(stray->str(), allowed));
    }

    const toml::node* need(const toml::table& table, const std::string& path, std::string_view key) {
        const toml::node* node = table.get(key);
        if (node == nullptr) {
            fail(table, (path.empty() ? std::string("the file") : path) + ": missing key \"" + std::string(key) + "\"");
        }
        return node;
    }

    const toml::table* needTable(const toml::node& node, const std::string& path) {
        const toml::table* table = node.as_table();
        if (table == nullptr) fail(node, path + ": expected a table, found " + typeName(node));
        return table;
    }

    // The text of the number that starts at a node: toml++ keeps only its
    // double, and a float must be rounded from the decimal, not from that.
    std::string numberText(const toml::node& node) const {
        const toml::source_position& at = node.source().begin;
        if (at.line == 0 || at.line > lineStarts_.size()) return "";
        std::size_t i = lineStarts_[at.line - 1];
        // Columns count characters: step over whole UTF-8 sequences.
        for (std::size_t c = 1; c < at.column && i < text_.size(); ++c) {
            ++i;
            while (i < text_.size() && (static_cast<unsigned char>(text_[i]) & 0xC0) == 0x80) ++i;
        }
        std::string digits;
        for (; i < text_.size() && std::strchr("0123456789+-._eE", text_[i]) != nullptr && text_[i] != '\0'; ++i) {
            if (text_[i] != '_') digits += text_[i];
        }
        if (!digits.empty() && digits[0] == '+') digits.erase(0, 1);
        return digits;
    }

    template <typename T>
    bool readNumber(const toml::node& node, const std::string& path, T& out) {
        if (const auto* whole = node.as_integer()) {
            out = static_cast<T>(whole->get());  // one rounding, from the exact integer
            return true;
        }
        const auto* real = node.as_floating_point();
        if (real == nullptr) return fail(node, path + ": expected a number, found " + typeName(node));
        const double value = real->get();
        if (!std::isfinite(value)) return fail(node, path + ": expected a finite number");
        const std::string digits = numberText(node);
        double check = 0.0;
        const char* first = digits.data();
        const char* last = first + digits.size();
        // A cross-check that the text found is this number's: toml++'s own
        // reading may differ from a correctly rounded one by an ulp, never more.
        if (std::from_chars(first, last, check).ptr != last || std::fabs(check - value) > 1e-12 * std::fabs(value)) {
            return fail(node, path + ": cannot read this number");
        }
        const auto [end, ec] = std::from_chars(first, last, out);
        if (ec != std::errc() || end != last || !std::isfinite(out)) {
            return fail(node, path + ": " + digits + " is out of the range of a " +
                                  (sizeof(T) == sizeof(float) ? "32-bit float" : "double"));
        }
        return true;
    }

    template <typename T>
    bool readTriple(const toml::node& node, const std::string& path, T (&out)[3]) {
        const toml::array* array = node.as_array();
        if (array == nullptr) return fail(node, path + ": expected [x, y, z], found " + typeName(node));
        if (array->size() != 3) {
            return fail(node, path + ": expected 3 numbers, found " + std::to_string(array->size()));
        }
        for (std::size_t k = 0; k < 3; ++k) {
            if (!readNumber((*array)[k], path + "[" + std::to_string(k + 1) + "]", out[k])) return false;
        }
        return true;
    }

    bool readVector(const toml::node& node, const std::string& path, Vector3& out) {
        float v[3];
        if (!readTriple(node, path, v)) return false;
        out = Vector3(v[0], v[1], v[2]);
        return true;
    }

    bool readFloatKey(const toml::table& table, const std::string& path, std::string_view key, float& out,
                      bool required) {
        const toml::node* node = required ? need(table, path, key) : table.get(key);
        if (node == nullptr) return !required;
        return readNumber(*node, join(path, key), out);
    }

    bool readSize(const toml::table& table, const std::string& path, std::string_view key, std::int32_t& out) {
        const toml::node* node = need(table, path, key);
        if (node == nullptr) return false;
        const auto* whole = node->as_integer();
        const std::string name = join(path, key);
        if (whole == nullptr) return fail(*node, name + ": expected a whole number of pixels, found " + typeName(*node));
        if (whole->get() < 1 || whole->get() > SCENE_MAX_IMAGE_SIDE) {
            return fail(*node, name + ": " + std::to_string(whole->get()) + " is outside 1 to " +
                                   std::to_string(SCENE_MAX_IMAGE_SIDE));
        }
        out = static_cast<std::int32_t>(whole->get());
        return true;
    }

    bool readOrbit(const toml::node& node, const std::string& path, Orbit& orbit);
    bool readKeyframes(const toml::node& node, const std::string& path, std::vector<Keyframe>& keyframes);
    bool readMotion(const toml::node& node, const std::string& path, Motion& motion);
    bool readCamera(const toml::node& node, FileCamera& camera);
    bool readMaterials(const toml::node& node);
    bool readObject(const toml::node& node, const std::string& path, FileObject& object);
    bool readLight(const toml::node& node, const std::string& path, FileLight& light);

    std::string_view text_;
    std::string name_;
    std::vector<std::size_t> lineStarts_;
    bool failed_ = false;
    SceneFileError error_;
    std::map<std::string, Material, std::less<>> materials_;
};

bool Reader::readOrbit(const toml::node& node, const std::string& path, Orbit& orbit) {
    const toml::table* table = needTable(node, path);
    if (table == nullptr || !onlyKeys(*table, path, {"centre", "radius", "radians_per_second", "start_radians", "plane"})) {
        return false;
    }
    const toml::node* centre = need(*table, path, "centre");
    if (centre == nullptr || !readTriple(*centre, join(path, "centre"), orbit.centre)) return false;
    const toml::node* radius = need(*table, path, "radius");
    if (radius == nullptr || !readNumber(*radius, join(path, "radius"), orbit.radius)) return false;
    const toml::node* rate = need(*table, path, "radians_per_second");
    if (rate == nullptr || !readNumber(*rate, join(path, "radians_per_second"), orbit.radiansPerSecond)) return false;
    if (const toml::node* start = table->get("start_radians")) {
        if (!readNumber(*start, join(path, "start_radians"), orbit.startRadians)) return false;
    }
    if (const toml::node* plane = table->get("plane")) {
        const auto* name = plane->as_string();
        const std::string text = name == nullptr ? "" : name->get();
        const auto axis = [](char c) { return c == 'x' ? 0 : c == 'y' ? 1 : c == 'z' ? 2 : -1; };
        if (text.size() != 2 || axis(text[0]) < 0 || axis(text[1]) < 0 || text[0] == text[1]) {
            return fail(*plane, join(path, "plane") +
                                    ": expected two different axes such as \"xy\", \"yz\" or \"zx\" (cos along the "
                                    "first, sin along the second)");
        }
        orbit.first = static_cast<Axis>(axis(text[0]));
        orbit.second = static_cast<Axis>(axis(text[1]));
    }
    return true;
}

bool Reader::readKeyframes(const toml::node& node, const std::string& path, std::vector<Keyframe>& keyframes) {
    const toml::array* array = node.as_array();
    if (array == nullptr) return fail(node, path + ": expected an array of keyframes, found " + typeName(node));
    if (array->empty()) return fail(node, path + ": expected at least one keyframe");
    if (array->size() > SCENE_MAX_KEYFRAMES) {
        return fail(node, path + ": more than " + std::to_string(SCENE_MAX_KEYFRAMES) + " keyframes");
    }
    for (std::size_t k = 0; k < array->size(); ++k) {
        const std::string at = indexed(path, k);
        const toml::table* table = needTable((*array)[k], at);
        if (table == nullptr || !onlyKeys(*table, at, {"seconds", "value"})) return false;
        Keyframe frame{0.0, Vector3(0.0f, 0.0f, 0.0f)};
        const toml::node* seconds = need(*table, at, "seconds");
        if (seconds == nullptr || !readNumber(*seconds, join(at, "seconds"), frame.seconds)) return false;
        const toml::node* value = need(*table, at, "value");
        if (value == nullptr || !readVector(*value, join(at, "value"), frame.value)) return false;
        if (!keyframes.empty() && !(frame.seconds > keyframes.back().seconds)) {
            return fail(*seconds, join(at, "seconds") + ": must be later than the keyframe before it");
        }
        keyframes.push_back(frame);
    }
    return true;
}

bool Reader::readMotion(const toml::node& node, const std::string& path, Motion& motion) {
    if (node.is_array()) {
        Vector3 fixed;
        if (!readVector(node, path, fixed)) return false;
        motion = Motion(fixed);
        return true;
    }
    const toml::table* table = node.as_table();
    if (table == nullptr || table->size() != 1 || !(table->contains("orbit") || table->contains("keyframes"))) {
        if (table != nullptr && table->size() == 1) {
            if (!onlyKeys(*table, path, {"orbit", "keyframes"})) return false;
        }
        return fail(node, path + ": expected [x, y, z], {orbit = {...}} or {keyframes = [...]}, found " +
                              (table == nullptr ? typeName(node) : "a table with " + std::to_string(table->size()) +
                                                                       " keys"));
    }
    if (const toml::node* orbit = table->get("orbit")) {
        Orbit o;
        if (!readOrbit(*orbit, join(path, "orbit"), o)) return false;
        motion = Motion(o);
        return true;
    }
    std::vector<Keyframe> keyframes;
    if (!readKeyframes(*table->get("keyframes"), join(path, "keyframes"), keyframes)) return false;
    motion = Motion(std::move(keyframes));
    return true;
}

Vector3 cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

bool Reader::readCamera(const toml::node& node, FileCamera& camera) {
    const toml::table* table = needTable(node, "camera");
    if (table == nullptr) return false;
    const toml::node* kind = need(*table, "camera", "kind");
    if (kind == nullptr) return false;
    const auto* kindName = kind->as_string();
    if (kindName != nullptr && kindName->get() == "demo") {
        camera.kind = FileCamera::Kind::demo;
        if (!onlyKeys(*table, "camera", {"kind", "eye"})) return false;
        const toml::node* eye = need(*table, "camera", "eye");
        return eye != nullptr && readMotion(*eye, "camera.eye", camera.eye);
    }
    if (kindName == nullptr || kindName->get() != "pinhole") {
        return fail(*kind, "camera.kind: expected \"pinhole\" or \"demo\"");
    }
    camera.kind = FileCamera::Kind::pinhole;
    if (!onlyKeys(*table, "camera", {"kind", "eye", "target", "up", "fov_degrees"})) return false;
    const toml::node* eye = need(*table, "camera", "eye");
    if (eye == nullptr || !readMotion(*eye, "camera.eye", camera.eye)) return false;
    const toml::node* target = need(*table, "camera", "target");
    if (target == nullptr || !readMotion(*target, "camera.target", camera.target)) return false;
    const toml::node* up = table->get("up");
    if (up != nullptr && !readVector(*up, "camera.up", camera.up)) return false;
    const toml::node* fov = need(*table, "camera", "fov_degrees");
    if (fov == nullptr || !readNumber(*fov, "camera.fov_degrees", camera.fovDegrees)) return false;
    if (!(camera.fovDegrees > 0.0f && camera.fovDegrees < 180.0f)) {
        return fail(*fov, "camera.fov_degrees: expected a field of view above 0 and below 180 degrees");
    }
    // Checked where the camera starts; a moving camera is the file's own care.
    const Vector3 forward = camera.target.at(0.0f) - camera.eye.at(0.0f);
    if (forward.lengthSquared() == 0.0f) return fail(*target, "camera.target: the same point as camera.eye");
    const double side = Vector3::dotWide(cross(forward, camera.up), cross(forward, camera.up));
    if (!(side > 1e-12 * Vector3::dotWide(forward, forward) * Vector3::dotWide(camera.up, camera.up))) {
        return fail(up != nullptr ? *up : *table, std::string("camera.up: lies along the line of sight from eye to target") +
                                                      (up != nullptr ? "" : " (up is [0, 0, 1] when not given)"));
    }
    return true;
}

bool Reader::readMaterials(const toml::node& node) {
    const toml::table* table = needTable(node, "materials");
    if (table == nullptr) return false;
    for (auto&& [key, value] : *table) {
        const std::string path = "materials." + std::string(key.str());
        const toml::table* m = needTable(value, path);
        if (m == nullptr || !onlyKeys(*m, path, {"colour", "specular", "specular_exponent", "reflectivity"})) {
            return false;
        }
        Material material(Vector3(0.0f, 0.0f, 0.0f), 0.0f, 1.0f, 0.0f);
        const toml::node* colour = need(*m, path, "colour");
        if (colour == nullptr || !readVector(*colour, join(path, "colour"), material.colour)) return false;
        if (!readFloatKey(*m, path, "specular", material.specular, false) ||
            !readFloatKey(*m, path, "specular_exponent", material.specularExponent, false) ||
            !readFloatKey(*m, path, "reflectivity", material.reflectivity, false)) {
            return false;
        }
        materials_.emplace(std::string(key.str()), material);
    }
    return true;
}

bool Reader::readObject(const toml::node& node, const std::string& path, FileObject& object) {
    const toml::table* table = needTable(node, path);
    if (table == nullptr || !onlyKeys(*table, path, {"material", "plane", "sphere"})) return false;
    const toml::node* material = need(*table, path, "material");
    if (material == nullptr) return false;
    const auto* name = material->as_string();
    if (name == nullptr) return fail(*material, join(path, "material") + ": expected a material's name, found " + typeName(*material));
    const auto found = materials_.find(name->get());
    if (found == materials_.end()) {
        std::vector<std::string> names;
        for (const auto& entry : materials_) names.push_back(entry.first);
        std::string hint = suggestion(name->get(), names);
        if (hint.empty()) hint = materials_.empty() ? " (the file defines no [materials])" : "";
        return fail(*material, join(path, "material") + ": no material named \"" + name->get() + "\"" + hint);
    }
    object.materialName = name->get();
    object.material = found->second;

    const toml::node* plane = table->get("plane");
    const toml::node* sphere = table->get("sphere");
    if ((plane == nullptr) == (sphere == nullptr)) {
        return fail(plane != nullptr ? *sphere : *table, path + ": expected one shape, plane or sphere");
    }
    if (plane != nullptr) {
        object.kind = FileObject::Kind::plane;
        const std::string at = join(path, "plane");
        const toml::table* p = needTable(*plane, at);
        if (p == nullptr || !onlyKeys(*p, at, {"normal", "offset"})) return false;
        const toml::node* normal = need(*p, at, "normal");
        if (normal == nullptr || !readVector(*normal, join(at, "normal"), object.normal)) return false;
        if (!readFloatKey(*p, at, "offset", object.offset, true)) return false;
        const double length2 = Vector3::dotWide(object.normal, object.normal);
        if (!(length2 > 0.0)) return fail(*normal, join(at, "normal") + ": the zero vector has no direction");
        // The plane test wants a unit normal; one written as such is kept to the bit.
        if (std::fabs(length2 - 1.0) > 1e-6) object.normal = normalized(object.normal);
        return true;
    }
    object.kind = FileObject::Kind::sphere;
    const std::string at = join(path, "sphere");
    const toml::table* s = needTable(*sphere, at);
    if (s == nullptr || !onlyKeys(*s, at, {"centre", "radius"})) return false;
    const toml::node* centre = need(*s, at, "centre");
    if (centre == nullptr || !readMotion(*centre, join(at, "centre"), object.centre)) return false;
    if (!readFloatKey(*s, at, "radius", object.radius, true)) return false;
    if (!(object.radius > 0.0f)) return fail(*s->get("radius"), join(at, "radius") + ": expected a radius above 0");
    return true;
}

bool Reader::readLight(const toml::node& node, const std::string& path, FileLight& light) {
    const toml::table* table = needTable(node, path);
    if (table == nullptr || !onlyKeys(*table, path, {"position", "intensity"})) return false;
    const toml::node* position = need(*table, path, "position");
    if (position == nullptr || !readMotion(*position, join(path, "position"), light.position)) return false;
    const toml::node* intensity = need(*table, path, "intensity");
    return intensity != nullptr && readVector(*intensity, join(path, "intensity"), light.intensity);
}

bool Reader::read(const toml::table& root, SceneFile& scene) {
    // The version first: a newer file's new keys should not read as mistakes.
    const toml::node* format = need(root, "", "format");
    if (format == nullptr) return false;
    const auto* version = format->as_integer();
    if (version == nullptr) return fail(*format, "format: expected a whole number, found " + typeName(*format));
    if (version->get() != SCENE_FORMAT_VERSION) {
        return fail(*format, "format: version " + std::to_string(version->get()) +
                                 " is not known to this program, which reads version " +
                                 std::to_string(SCENE_FORMAT_VERSION));
    }
    scene.formatVersion = version->get();
    if (!onlyKeys(root, "", {"format", "image", "camera", "materials", "objects", "lights"})) return false;

    if (const toml::node* image = root.get("image")) {
        const toml::table* table = needTable(*image, "image");
        if (table == nullptr || !onlyKeys(*table, "image", {"width", "height"}) ||
            !readSize(*table, "image", "width", scene.width) || !readSize(*table, "image", "height", scene.height)) {
            return false;
        }
    }
    const toml::node* camera = need(root, "", "camera");
    if (camera == nullptr || !readCamera(*camera, scene.camera)) return false;
    if (const toml::node* materials = root.get("materials")) {
        if (!readMaterials(*materials)) return false;
    }

    const auto readList = [&](const char* key, std::size_t limit, auto& out, auto readOne) {
        const toml::node* node = root.get(key);
        if (node == nullptr) return true;
        const toml::array* array = node->as_array();
        if (array == nullptr) {
            return fail(*node, std::string(key) + ": expected an array of tables ([[" + key + "]]), found " +
                                   typeName(*node));
        }
        if (array->size() > limit) {
            return fail(*node, std::string(key) + ": more than " + std::to_string(limit) + " entries");
        }
        out.resize(array->size());
        for (std::size_t k = 0; k < array->size(); ++k) {
            if (!(this->*readOne)((*array)[k], indexed(key, k), out[k])) return false;
        }
        return true;
    };
    return readList("objects", SCENE_MAX_OBJECTS, scene.objects, &Reader::readObject) &&
           readList("lights", SCENE_MAX_LIGHTS, scene.lights, &Reader::readLight);
}

SceneFileResult failure(const std::string& name, std::string message, bool unreadable) {
    SceneFileResult result;
    result.error.file = name;
    result.error.message = std::move(message);
    result.unreadable = unreadable;
    return result;
}

}  // namespace

SceneFileResult parseSceneFile(std::string_view text, const std::string& name) {
    try {
        if (text.size() > SCENE_FILE_MAX_BYTES) {
            return failure(name, "larger than " + std::to_string(SCENE_FILE_MAX_BYTES >> 20) + " MiB", true);
        }
        Reader reader(text, name);
        SceneFileResult result;
        toml::parse_result parsed = toml::parse(text, std::string_view(name));
        if (!parsed) {
            reader.fail(parsed.error().source().begin, std::string(parsed.error().description()));
            result.error = reader.error();
            return result;
        }
        SceneFile scene;
        if (!reader.read(parsed.table(), scene)) {
            result.error = reader.error();
            return result;
        }
        result.scene = std::move(scene);
        return result;
    } catch (const std::bad_alloc&) {
        return failure(name, "out of memory while reading the scene", false);
    } catch (...) {
        return failure(name, "could not read the scene", false);
    }
}

SceneFileResult loadSceneFile(const std::string& path) {
    try {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) return failure(path, std::string("cannot read: ") + std::strerror(errno), true);
        std::string text;
        char buffer[65536];
        bool tooLarge = false;
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
            text.append(buffer, n);
            if (text.size() > SCENE_FILE_MAX_BYTES) {
                tooLarge = true;
                break;
            }
        }
        const int readError = std::ferror(file) ? errno : 0;
        std::fclose(file);
        if (readError != 0) return failure(path, std::string("cannot read: ") + std::strerror(readError), true);
        if (tooLarge) {
            return failure(path, "cannot read: larger than " + std::to_string(SCENE_FILE_MAX_BYTES >> 20) + " MiB",
                           true);
        }
        return parseSceneFile(text, path);
    } catch (const std::bad_alloc&) {
        return failure(path, "out of memory while reading the scene", false);
    }
}
