# Sourced by the install tests with BUILD_DIR as $1: installs that build
# into a fresh prefix inside it, on a private X server (x_session.sh).
# Sets build, root, jobs, prefix and golden (own-scene's picture).
build=$(realpath "$1")
root=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../..")
export TMPDIR="$build"  # the scratch folder (prefix included) lives in the build tree
source "$(dirname "${BASH_SOURCE[0]}")/x_session.sh"
jobs=$(nproc 2>/dev/null || echo 2)
prefix="$work/prefix"
golden="$root/tests/golden/own-scene.png"

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    { echo "cmake --install failed: $(cat "$work/install.log")"; exit 1; }
