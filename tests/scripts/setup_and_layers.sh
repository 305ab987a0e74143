#!/usr/bin/env bash
# scripts/setup and scripts/test against a package mirror that fails, with
# apt-get, dpkg, dpkg-query, sudo and sleep faked on the PATH: apt-get update
# tried three times and then passed over with one warning, a package that
# cannot be installed reported with apt's words while the rest are
# installed, and the test command running every other layer, skipping Wine
# with the reason, and summing up.
#   setup_and_layers.sh SOURCE_DIR
set -u
source_dir=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

fakes=$work/bin
mkdir -p "$fakes"
# Each fake notes its call in $FAKE_STATE/calls.
cat >"$fakes/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_STATE/calls"
case $1 in
update)
    n=$(($(cat "$FAKE_STATE/updates" 2>/dev/null || echo 0) + 1))
    echo "$n" >"$FAKE_STATE/updates"
    echo "Hit:1 http://deb.example/debian bookworm InRelease"
    if [[ $n -le ${FAKE_UPDATE_FAILURES:-0} ]]; then
        echo "E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (47 != 48). Mirror sync in progress?" >&2
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
        exit 100
    fi
    exit 0 ;;
install)
    shift
    simulate=false
    packages=()
    for a in "$@"; do
        case $a in -s) simulate=true ;; -*) ;; *) packages+=("$a") ;; esac
    done
    for p in "${packages[@]}"; do
        if [[ " ${FAKE_UNAVAILABLE:-} " == *" $p "* ]]; then
            echo "Some packages could not be installed."
            echo "The following packages have unmet dependencies:"
            echo " $p:i386 : Depends: lib$p:i386 (= 8.0-4) but it is not going to be installed"
            echo "E: Unable to correct problems, you have held broken packages." >&2
            exit 100
        fi
    done
    if [[ -n "${FAKE_INSTALL_BROKEN:-}" ]] && ! $simulate; then
        echo "E: Failed to fetch http://deb.example/debian/pool/main/x/x.deb  Connection timed out" >&2
        exit 100
    fi
    $simulate || printf '%s\n' "${packages[@]}" >>"$FAKE_STATE/installed"
    exit 0 ;;
esac
exit 1
EOF
cat >"$fakes/dpkg-query" <<'EOF'
#!/usr/bin/env bash
p=${*: -1}
grep -qx -- "$p" "$FAKE_STATE/installed" 2>/dev/null || { echo "dpkg-query: no packages found matching $p" >&2; exit 1; }
printf 'install ok installed'
EOF
cat >"$fakes/dpkg" <<'EOF'
#!/usr/bin/env bash
echo "dpkg $*" >>"$FAKE_STATE/calls"
case $1 in
--print-foreign-architectures) cat "$FAKE_STATE/architectures" 2>/dev/null ;;
--add-architecture) echo "$2" >>"$FAKE_STATE/architectures" ;;
esac
EOF
printf '#!/usr/bin/env bash\nexec "$@"\n' >"$fakes/sudo"
printf '#!/usr/bin/env bash\necho "sleep $*" >>"$FAKE_STATE/calls"\n' >"$fakes/sleep"
# The layers' programs: each notes its call and fails when named in FAKE_FAILING.
for tool in cmake ctest; do
    printf '#!/usr/bin/env bash\necho "%s $*" >>"$FAKE_STATE/calls"\n[[ " ${FAKE_FAILING:-} " != *" %s "* ]]\n' \
        "$tool" "$tool" >"$fakes/$tool"
done
chmod +x "$fakes"/*
export PATH="$fakes:$PATH"
for tool in apt-get dpkg dpkg-query sudo sleep cmake ctest; do
    # Never the machine's own apt or dpkg.
    [[ $(command -v "$tool") == "$fakes/$tool" ]] || { echo "the fake $tool is not first on the PATH"; exit 1; }
done

# A fresh state for each case: nothing installed, no i386.
fresh() {
    export FAKE_STATE=$work/state-$1
    mkdir -p "$FAKE_STATE"
    : >"$FAKE_STATE/calls"
    : >"$FAKE_STATE/installed"
    unset FAKE_UPDATE_FAILURES FAKE_UNAVAILABLE FAKE_INSTALL_BROKEN FAKE_FAILING RT_REQUIRE_ALL_LAYERS RT_SETUP_DONE
}
count() { grep -c -- "$1" "$2"; }
native=$(sed -n '/^native=(/,/^)/p' "$source_dir/scripts/setup" | grep -v '[()]' | wc -w)
optional=$(sed -n 's/^optional=(\(.*\))$/\1/p' "$source_dir/scripts/setup" | wc -w)
[[ $optional -ge 1 ]] || fail "no optional packages found in scripts/setup"

echo "== set-up: an index that fails twice, then works"
fresh twice
FAKE_UPDATE_FAILURES=2 "$source_dir/scripts/setup" >"$work/out" 2>&1
code=$?
[[ $code -eq 0 ]] || fail "set-up after two failed updates gave $code: $(cat "$work/out")"
[[ $(count '^apt-get update' "$FAKE_STATE/calls") -eq 3 ]] || fail "apt-get update not tried 3 times: $(cat "$FAKE_STATE/calls")"
[[ $(count '^sleep ' "$FAKE_STATE/calls") -eq 2 ]] || fail "not 2 pauses between 3 tries: $(cat "$FAKE_STATE/calls")"
grep -q warning "$work/out" && fail "a warning though the third update worked: $(cat "$work/out")"
[[ $(wc -l <"$FAKE_STATE/installed") -eq $((native + optional)) ]] ||
    fail "$(wc -l <"$FAKE_STATE/installed") packages installed, not $((native + optional))"

echo "== set-up: an index that keeps failing, and a package that cannot be had"
fresh broken
FAKE_UPDATE_FAILURES=99 FAKE_UNAVAILABLE=wine32 "$source_dir/scripts/setup" --windows >"$work/out" 2>&1
code=$?
[[ $code -eq 3 ]] || fail "set-up with wine32 out of reach gave $code, not 3: $(cat "$work/out")"
[[ $(count '^apt-get update' "$FAKE_STATE/calls") -eq 3 ]] || fail "apt-get update not tried 3 times"
[[ $(count 'warning' "$work/out") -eq 1 && $(count 'unexpected size' "$work/out") -eq 1 ]] ||
    fail "apt's reason not given once, in one warning: $(cat "$work/out")"
grep -q '^scripts/setup: warning: apt-get update failed 3 times; going on with the package lists apt has: E: Failed to fetch .*File has unexpected size (47 != 48)' "$work/out" ||
    fail "the warning does not give apt's reason: $(grep warning "$work/out")"
grep -qx 'scripts/setup: cannot install wine32: wine32:i386 : Depends: libwine32:i386 (= 8.0-4) but it is not going to be installed; E: Unable to correct problems, you have held broken packages.' "$work/out" ||
    fail "wine32 not reported with apt's reason: $(grep 'cannot install' "$work/out")"
[[ $(count 'cannot install' "$work/out") -eq 1 ]] || fail "packages other than wine32 reported: $(grep 'cannot install' "$work/out")"
[[ $(wc -l <"$FAKE_STATE/installed") -eq $((native + optional + 3)) ]] && ! grep -qx wine32 "$FAKE_STATE/installed" &&
    grep -qx wine "$FAKE_STATE/installed" || fail "not every package but wine32 installed: $(tr '\n' ' ' <"$FAKE_STATE/installed")"
grep -qx 'dpkg --add-architecture i386' "$FAKE_STATE/calls" || fail "the i386 architecture was not added"

echo "== set-up: nothing missing, nothing asked of apt"
FAKE_UPDATE_FAILURES=99 "$source_dir/scripts/setup" >"$work/out" 2>&1 || fail "set-up with everything there: $(cat "$work/out")"
[[ $(count '^apt-get' "$FAKE_STATE/calls") -eq $(count '^apt-get' "$work/state-broken/calls") ]] ||
    fail "apt-get was called with every package installed"

echo "== set-up: an optional package that cannot be had"
fresh optional
FAKE_UNAVAILABLE=libembree-dev "$source_dir/scripts/setup" >"$work/out" 2>&1
code=$?
[[ $code -eq 0 ]] || fail "set-up with only libembree-dev out of reach gave $code, not 0: $(cat "$work/out")"
grep -q '^scripts/setup: cannot install libembree-dev: ' "$work/out" || fail "libembree-dev not reported: $(cat "$work/out")"
[[ $(wc -l <"$FAKE_STATE/installed") -eq $((native + optional - 1)) ]] ||
    fail "not every package but libembree-dev installed: $(tr '\n' ' ' <"$FAKE_STATE/installed")"

echo "== set-up: an install that fails for a reason of no package's"
fresh download
FAKE_INSTALL_BROKEN=1 "$source_dir/scripts/setup" >"$work/out" 2>&1
code=$?
[[ $code -eq 1 ]] || fail "a failed download gave $code, not 1"
grep -q '^scripts/setup: apt-get install failed: E: Failed to fetch .*Connection timed out' "$work/out" ||
    fail "the failed download's reason: $(tail -n 3 "$work/out")"

# The test command in a tree of its own, its layers' scripts faked.
tree=$work/tree
mkdir -p "$tree/scripts" "$tree/tests/e2e"
cp "$source_dir/scripts/test" "$source_dir/scripts/setup" "$tree/scripts/"
for script in scripts/fuzz scripts/windows tests/e2e/installed_libraries.sh tests/e2e/debian_packages.sh; do
    name=$(basename "$script")
    printf '#!/usr/bin/env bash\necho "%s $*" >>"$FAKE_STATE/calls"\n[[ " ${FAKE_FAILING:-} " != *" %s "* ]]\n' \
        "$name" "$name" >"$tree/$script"
    chmod +x "$tree/$script"
done
layers=("native build" "native tests" "installed libraries" "Debian packages" sanitizers fuzzing "windows build"
        "windows under Wine")
summary_of() { sed -n '/^==== summary$/,$p' "$1" | tail -n +2; }
expect_summary() {  # expect_summary CASE OUTPUT LAST-LINE RESULT...
    local case=$1 out=$2 last=$3 i=0 line
    shift 3
    mapfile -t lines < <(summary_of "$out")
    [[ ${#lines[@]} -eq $((${#layers[@]} + 1)) ]] || { fail "$case: the summary is: $(summary_of "$out")"; return; }
    for line in "$@"; do
        [[ "${lines[$i]}" == "${layers[$i]}: $line" ]] || fail "$case: '${lines[$i]}', not '${layers[$i]}: $line'"
        i=$((i + 1))
    done
    [[ "${lines[-1]}" == "$last" ]] || fail "$case: the last line is '${lines[-1]}', not '$last'"
}
wine_reason="wine32 could not be installed: wine32:i386 : Depends: libwine32:i386 (= 8.0-4) but it is not going to be installed; E: Unable to correct problems, you have held broken packages."

echo "== test command: Wine out of reach"
fresh skip
FAKE_UPDATE_FAILURES=99 FAKE_UNAVAILABLE=wine32 "$tree/scripts/test" >"$work/out" 2>&1
code=$?
[[ $code -eq 0 ]] || fail "with Wine skipped the test command gave $code, not 0"
expect_summary "Wine out of reach" "$work/out" "7 passed, 0 failed, 1 skipped" \
    passed passed passed passed passed passed passed "skipped: $wine_reason"
grep -qx 'windows --build-only' "$FAKE_STATE/calls" || fail "the Windows programs were not built"
grep -q '^windows --wine-only' "$FAKE_STATE/calls" && fail "the Wine tests ran without Wine"
[[ $(count '^apt-get update' "$FAKE_STATE/calls") -eq 3 ]] || fail "the test command's set-up updated more than 3 times"

echo "== test command: Wine out of reach, every layer required"
fresh required
RT_REQUIRE_ALL_LAYERS=1 FAKE_UNAVAILABLE=wine32 "$tree/scripts/test" >"$work/out" 2>&1
code=$?
[[ $code -eq 1 ]] || fail "RT_REQUIRE_ALL_LAYERS=1 with Wine skipped gave $code, not 1"
expect_summary "every layer required" "$work/out" "7 passed, 1 failed, 0 skipped" \
    passed passed passed passed passed passed passed "failed: skipped, and RT_REQUIRE_ALL_LAYERS=1: $wine_reason"

echo "== test command: the optional Embree package out of reach, every layer required"
fresh embree
RT_REQUIRE_ALL_LAYERS=1 FAKE_UNAVAILABLE=libembree-dev "$tree/scripts/test" >"$work/out" 2>&1
code=$?
[[ $code -eq 0 ]] || fail "with libembree-dev out of reach the test command gave $code, not 0"
expect_summary "Embree out of reach" "$work/out" "8 passed, 0 failed, 0 skipped" \
    passed passed passed passed passed passed passed passed

echo "== test command: failing layers do not stop the others"
fresh failing
FAKE_FAILING="fuzz ctest" "$tree/scripts/test" >"$work/out" 2>&1
code=$?
[[ $code -eq 1 ]] || fail "with failing layers the test command gave $code, not 1"
expect_summary "failing layers" "$work/out" "5 passed, 3 failed, 0 skipped" \
    passed "failed: exit status 1" passed passed "failed: exit status 1" "failed: exit status 1" passed passed
grep -qx 'windows --wine-only' "$FAKE_STATE/calls" || fail "the Wine tests did not run after a failing layer"

echo "== test command: a build that fails leaves its tests skipped"
fresh build
FAKE_FAILING="cmake" "$tree/scripts/test" >"$work/out" 2>&1
code=$?
[[ $code -eq 1 ]] || fail "with the builds failing the test command gave $code, not 1"
grep -qx 'native tests: skipped: native build did not pass' "$work/out" || fail "the native tests were not skipped"
grep -qx 'windows under Wine: passed' "$work/out" || fail "the faked Windows layers did not run"

if [[ $failures -ne 0 ]]; then echo "$failures checks failed"; exit 1; fi
echo "set-up and test command against a failing mirror: all checks passed"
