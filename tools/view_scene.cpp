// view-scene FILE: a scene file traced live in a window on every core, its
// motion playing; keys and the pointer fly the camera, C prints it for the
// file, P saves the picture, and the file is read again when it changes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "bmpwindow/bmp_window.h"
#include "bmpwindow/memory_canvas.h"
#include "option_values.h"
#include "png/png_image.h"
#include "raytracer_version.h"
#include "render/parallel_renderer.h"
#include "render/pinhole_camera.h"
#include "scene/scene.h"
#include "scenefile/scene_animation.h"
#include "timing/clock.h"
#include "viewer/camera_control.h"
#include "viewer/scene_view.h"

#if defined(RT_BACKEND_WIN32)
#include <windows.h>
#else
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "bmpwindow/window_proc_sdl.h"
#endif

namespace {

const char* const usageLine = "usage: view-scene [--size WxH] [--threads N] FILE.toml\n";

int usage() {
    std::fputs(usageLine, stderr);
    return 2;
}

int help() {
    std::fputs(usageLine, stdout);
    std::fputs("Shows a scene file traced live in a window, its motion playing.\n"
               "  --size WxH     this image size instead of the file's\n"
               "  --threads N    trace on N threads, 1 to 256 (default: the hardware's)\n"
               "  --help         print this help and exit\n"
               "  --version      print the version and exit\n"
               "Keys: W/S forward and back, A/D left and right, Q/E down and up, Shift ten times faster;\n"
               "arrow keys or a drag with the left button turn the view, the wheel zooms; R the file's camera;\n"
               "Space pauses the motion; C prints the camera for the file, P saves the picture as a PNG;\n"
               "F5 reads the file again (it is also read again when it changes); Escape quits.\n",
               stdout);
    return 0;
}

// Hands on everything pending; false once the window has been closed.
bool handleEvents() {
#if defined(RT_BACKEND_WIN32)
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return false;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
#else
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) return false;
        windowProc(event);
    }
#endif
    return true;
}

void pause(int milliseconds) {
#if defined(RT_BACKEND_WIN32)
    Sleep(static_cast<DWORD>(milliseconds));
#else
    SDL_Delay(static_cast<Uint32>(milliseconds));
#endif
}

InstanceHandle moduleInstance() {
#if defined(RT_BACKEND_WIN32)
    return GetModuleHandleA(nullptr);
#else
    return nullptr;
#endif
}

bool anythingMoves(const SceneFile& file) {
    if (file.camera.eye.moves() || file.camera.target.moves()) return true;
    for (const FileObject& object : file.objects) {
        if (object.kind == FileObject::Kind::sphere && object.centre.moves()) return true;
    }
    for (const FileLight& light : file.lights) {
        if (light.position.moves()) return true;
    }
    return false;
}

std::string timeText(float t) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(t));
    return text;
}

// What a frame shows: the same view gives the same pixels.
struct View {
    bool following = true;  // the file's own camera, else the flown pose
    ViewPose pose;
    float t = 0.0f;
    std::uint64_t generation = 0;  // of the scene file read

    // The same scene seen from the same camera, at whatever time.
    bool sameCamera(const View& other) const {
        const auto same = [](const Vector3& a, const Vector3& b) {
            return std::memcmp(&a, &b, sizeof a) == 0;
        };
        return following == other.following && generation == other.generation &&
               (following || (same(pose.eye, other.pose.eye) && same(pose.target, other.pose.target) &&
                              same(pose.up, other.pose.up) &&
                              std::memcmp(&pose.fovDegrees, &other.pose.fovDegrees, sizeof(float)) == 0));
    }
    bool operator==(const View& other) const { return sameCamera(other) && std::memcmp(&t, &other.t, sizeof t) == 0; }
};

class Viewer {
public:
    Viewer(std::string path, SceneFile file, std::int32_t width, std::int32_t height, std::int32_t threads,
           BmpWindow& window)
        : path_(std::move(path)),
          name_(std::filesystem::path(path_).filename().string()),
          file_(std::move(file)),
          animation_(std::make_unique<SceneAnimation>(file_)),
          window_(window),
          full_(width, height),
          renderer_(threads) {
        moves_ = anythingMoves(file_);
        control_.reset(poseAt(file_.camera, 0.0f), sceneSize(file_, 0.0f));
        stamp_ = fileStamp();
        lastTitle_ = nowSeconds();
    }

    ~Viewer() {
        renderer_.cancel();
        renderer_.wait();
    }

    // Until Escape or the window's close button.
    void run() {
        double last = nowSeconds();
        double lastPoll = last;
        while (handleEvents()) {
            const double now = nowSeconds();
            const double dt = now - last;
            last = now;
            const InputState& input = window_.input();
            if (input.wasPressed(Key::Escape)) break;
            if (input.wasPressed(Key::Space)) paused_ = !paused_;
            if (!paused_) clock_ += dt;
            if (input.wasPressed(Key::R)) {
                following_ = true;
                control_.reset(poseAt(file_.camera, now_()), sceneSize(file_, now_()));
            }
            if (input.wasPressed(Key::F5)) {
                reload();
            } else if (now - lastPoll > 0.25) {
                lastPoll = now;
                if (fileStamp() != stamp_) reload();
            }
            if (control_.update(input, dt)) {
                if (following_) following_ = false;
                lastMove_ = now;
            }
            if (input.wasPressed(Key::C)) printCamera();
            if (input.wasPressed(Key::P)) wantPicture_ = true;

            const bool busy = step(now);
            if (now - lastTitle_ > 0.25) updateTitle(now);
            window_.endFrame();
            pause(busy ? 1 : 5);
        }
    }

private:
    enum class Kind { none, full, coarse };

    float now_() const { return static_cast<float>(clock_); }

    View wanted() const {
        View view;
        view.following = following_;
        view.pose = control_.pose();
        view.t = moves_ ? now_() : 0.0f;
        view.generation = generation_;
        return view;
    }

    std::unique_ptr<Camera> cameraFor(const View& view) const {
        if (view.following) return animation_->cameraAt(view.t);
        return std::make_unique<PinholeCamera>(view.pose.eye, view.pose.target, view.pose.up, view.pose.fovDegrees);
    }

    // Collects a finished frame and starts the next one; true while a frame is under way.
    bool step(double now) {
        if (inFlight_ != Kind::none) {
            // A full frame from a camera already left behind is not worth
            // finishing; one the motion alone has passed still is.
            if (inFlight_ == Kind::full && !flightView_.sameCamera(wanted())) renderer_.cancel();
            if (!renderer_.finished()) return true;
            collect(now);
        }
        const View view = wanted();
        const bool cameraMoving = now - lastMove_ < 0.15;
        if (view == shownView_ && (shownKind_ == Kind::full || (shownKind_ == Kind::coarse && cameraMoving))) {
            savePictureIfWanted();
            return false;
        }
        std::int32_t factor = 1;
        if (cameraMoving) {
            // A moving camera keeps no tables: a full frame costs more than a still one.
            const double predicted = secondsPerPixel_ * static_cast<double>(full_.width()) * full_.height() * 1.25;
            while (factor < 16 && predicted / (factor * factor) > 0.040) factor *= 2;
        }
        animation_->placeAt(view.t);
        flightCamera_ = cameraFor(view);
        flightView_ = view;
        flightStart_ = now;
        if (factor == 1) {
            inFlight_ = Kind::full;
            fullValid_ = false;
            renderer_.start(animation_->scene(), *flightCamera_, full_);
        } else {
            inFlight_ = Kind::coarse;
            const std::int32_t w = (full_.width() + factor - 1) / factor;
            const std::int32_t h = (full_.height() + factor - 1) / factor;
            if (!coarse_ || coarse_->width() != w || coarse_->height() != h) coarse_ = std::make_unique<MemoryCanvas>(w, h);
            coarseFactor_ = factor;
            renderer_.start(animation_->scene(), *flightCamera_, *coarse_);
        }
        return true;
    }

    void collect(double now) {
        const Kind kind = inFlight_;
        inFlight_ = Kind::none;
        if (renderer_.cutShort()) return;
        const double seconds = now - flightStart_;
        const double pixels = kind == Kind::full ? static_cast<double>(full_.width()) * full_.height()
                                                 : static_cast<double>(coarse_->width()) * coarse_->height();
        secondsPerPixel_ = seconds / pixels;
        lastFrameAt_ = now;
        frameSeconds_ += seconds;
        ++framesShown_;
        shownView_ = flightView_;
        shownKind_ = kind;
        if (kind == Kind::full) fullValid_ = true;
        compose();
        savePictureIfWanted();
    }

    // The picture (scaled up if coarse) into the window, and the error over it.
    void compose() {
        const DibSurface& screen = window_.surface();
        if (screen.empty()) return;
        std::uint32_t* out = screen.pixels();
        const std::int32_t w = std::min(screen.width(), full_.width());
        const std::int32_t h = std::min(screen.height(), full_.height());
        if (shownKind_ == Kind::full) {
            const std::uint32_t* in = full_.surface().pixels();
            for (std::int32_t y = 0; y < h; ++y) {
                std::memcpy(out + static_cast<std::size_t>(y) * screen.width(),
                            in + static_cast<std::size_t>(y) * full_.width(), sizeof(std::uint32_t) * w);
            }
        } else if (shownKind_ == Kind::coarse) {
            for (std::int32_t y = 0; y < h; ++y) {
                for (std::int32_t x = 0; x < w; ++x) {
                    out[static_cast<std::size_t>(y) * screen.width() + x] =
                        coarse_->pixel(x / coarseFactor_, y / coarseFactor_);
                }
            }
        }
        if (!error_.empty()) {
            // Lines of what fits across, broken at spaces, on a dark band so
            // they read over any picture.
            const std::size_t perLine = static_cast<std::size_t>(std::max(8, screen.width() / 8));
            std::vector<std::string> lines;
            for (std::size_t at = 0; at < error_.size();) {
                std::size_t end = std::min(error_.size(), at + perLine);
                if (end < error_.size()) {
                    const std::size_t space = error_.rfind(' ', end);
                    if (space != std::string::npos && space > at) end = space + 1;
                }
                lines.push_back(error_.substr(at, end - at));
                at = end;
            }
            window_.fillRect(Point2(0.0f, 0.0f), screen.width() + 1, static_cast<std::int32_t>(18 * lines.size() + 8),
                             Vector3(0.1f, 0.0f, 0.0f));
            for (std::size_t k = 0; k < lines.size(); ++k) {
                window_.drawText(Point2(4.0f, static_cast<float>(4 + 18 * k)), lines[k], Vector3(1.0f, 0.85f, 0.3f));
            }
        }
    }

    void savePictureIfWanted() {
        // The full picture on screen, if it is from the camera as it is now;
        // with the motion playing it is at the time it was traced for.
        if (!wantPicture_ || !fullValid_ || shownKind_ != Kind::full || !shownView_.sameCamera(wanted())) return;
        wantPicture_ = false;
        const std::string name =
            freePictureName(path_, "", [](const std::string& file) { return std::filesystem::exists(file); });
        std::string reason;
        if (!writePng(name, full_.surface(), reason)) {
            std::fprintf(stderr, "view-scene: cannot write %s\n", reason.c_str());
            return;
        }
        std::printf("# saved %s at time %s\n", name.c_str(), timeText(shownView_.t).c_str());
        std::fflush(stdout);
    }

    void printCamera() {
        const View view = wanted();
        std::printf("# %s at time %s\n", name_.c_str(), timeText(view.t).c_str());
        if (view.following && file_.camera.kind == FileCamera::Kind::demo) {
            std::fputs(demoCameraSnippet(file_.camera.eye.at(view.t)).c_str(), stdout);
        } else {
            std::fputs(cameraSnippet(view.following ? poseAt(file_.camera, view.t) : view.pose).c_str(), stdout);
        }
        std::fflush(stdout);
    }

    std::pair<std::filesystem::file_time_type, std::uintmax_t> fileStamp() const {
        std::error_code error;
        const auto time = std::filesystem::last_write_time(path_, error);
        const auto size = std::filesystem::file_size(path_, error);
        return {time, error ? 0 : size};
    }

    // The file read again; one with an error leaves the last good scene up.
    void reload() {
        stamp_ = fileStamp();
        SceneFileResult loaded = loadSceneFile(path_);
        if (!loaded) {
            const std::string line = loaded.error.text();
            if (line != error_) std::fprintf(stderr, "%s\n", line.c_str());
            error_ = line;
            if (inFlight_ == Kind::none) compose();
            return;
        }
        renderer_.cancel();
        renderer_.wait();
        inFlight_ = Kind::none;
        flightCamera_.reset();
        animation_.reset();
        file_ = std::move(*loaded.scene);
        animation_ = std::make_unique<SceneAnimation>(file_);
        moves_ = anythingMoves(file_);
        if (following_) {
            control_.reset(poseAt(file_.camera, now_()), sceneSize(file_, now_()));
        } else {
            control_.setSceneSize(sceneSize(file_, now_()));
        }
        if (!error_.empty()) std::fprintf(stderr, "view-scene: %s read again without errors\n", path_.c_str());
        error_.clear();
        ++generation_;
    }

    void updateTitle(double now) {
        // Over the frames since the last title; a still picture keeps the last figures.
        if (framesShown_ > 0) {
            shownMilliseconds_ = frameSeconds_ * 1000.0 / framesShown_;
            shownFps_ = static_cast<double>(framesShown_) / (now - lastTitle_);
        } else if (now - lastFrameAt_ > 1.0) {
            shownFps_ = 0.0;
        }
        framesShown_ = 0;
        frameSeconds_ = 0.0;
        lastTitle_ = now;
        char text[512];
        std::snprintf(text, sizeof text, "%s - %.1f ms - %.1f fps%s%s", name_.c_str(), shownMilliseconds_, shownFps_,
                      paused_ ? " - paused" : "", error_.empty() ? "" : " - error");
        window_.setTitle(text);
    }

    std::string path_;
    std::string name_;
    SceneFile file_;
    std::unique_ptr<SceneAnimation> animation_;
    BmpWindow& window_;
    MemoryCanvas full_;
    std::unique_ptr<MemoryCanvas> coarse_;
    std::int32_t coarseFactor_ = 1;
    ParallelRenderer renderer_;
    CameraControl control_;

    bool following_ = true;
    bool moves_ = false;
    bool paused_ = false;
    double clock_ = 0.0;
    double lastMove_ = -1.0;
    std::uint64_t generation_ = 0;
    std::pair<std::filesystem::file_time_type, std::uintmax_t> stamp_;
    std::string error_;

    Kind inFlight_ = Kind::none;
    View flightView_;
    std::unique_ptr<Camera> flightCamera_;
    double flightStart_ = 0.0;

    Kind shownKind_ = Kind::none;
    View shownView_;
    bool fullValid_ = false;
    bool wantPicture_ = false;
    double secondsPerPixel_ = 0.0;
    double frameSeconds_ = 0.0;  // summed since the last title
    double lastFrameAt_ = 0.0;
    double shownMilliseconds_ = 0.0;
    double shownFps_ = 0.0;
    double lastTitle_ = 0.0;
    int framesShown_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const char* path = nullptr;
    const char* sizeText = nullptr;
    const char* threadsText = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) return help();
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("view-scene (raytracer) " RAYTRACER_VERSION);
            return 0;
        }
        const bool takesValue = std::strcmp(argv[i], "--size") == 0 || std::strcmp(argv[i], "--threads") == 0;
        if (takesValue) {
            if (i + 1 >= argc) return usage();
            const char*& slot = argv[i][2] == 's' ? sizeText : threadsText;
            if (slot != nullptr) return usage();
            slot = argv[++i];
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return usage();
        } else if (path == nullptr) {
            path = argv[i];
        } else {
            return usage();
        }
    }
    if (path == nullptr) return usage();
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (sizeText != nullptr && !parseSize(sizeText, width, height)) return usage();
    std::int32_t threads = static_cast<std::int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    if (threadsText != nullptr && !parseThreads(threadsText, threads)) return usage();

    SceneFileResult loaded;
    if (const int status = loadSceneOption(path, loaded)) return status;
    if (sizeText == nullptr) {
        width = loaded.scene->width;
        height = loaded.scene->height;
    }
    BmpWindow window(30, 30, width, height, moduleInstance());
    if (!window.failure().empty()) {
        std::fprintf(stderr, "view-scene: %s\n", window.failure().c_str());
        return 1;
    }
    window.setTitle(std::filesystem::path(path).filename().string());
    {
        Viewer viewer(path, std::move(*loaded.scene), width, height, threads, window);
        viewer.run();
    }
    return 0;
}
