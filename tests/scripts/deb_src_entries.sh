#!/usr/bin/env bash
# The source entries derived from an apt configuration: both formats, the
# release's own suites only, disabled files and stanzas skipped.
set -u
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

etc=$work/etc
mkdir -p "$etc/sources.list.d"
cat >"$etc/sources.list" <<'LIST'
# a comment
deb http://mirror.example/debian rel main contrib
deb [arch=amd64 signed-by=/k.gpg] http://mirror.example/debian rel-updates main # trailing
deb-src http://mirror.example/debian rel main contrib
deb http://mirror.example/debian other main
   deb    http://spaced.example/debian   rel   main
LIST
cat >"$etc/sources.list.d/third.list" <<'LIST'
deb https://vendor.example/apt stable main
LIST
cat >"$etc/sources.list.d/off.list.disabled" <<'LIST'
deb http://disabled.example/debian rel main
LIST
cat >"$etc/sources.list.d/machine.sources" <<'LIST'
Types: deb
URIs: http://mirror.example/debian-security
Suites: rel-security other-security
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 abc
 -----END PGP PUBLIC KEY BLOCK-----

# an off stanza
Types: deb
URIs: http://off.example/debian
Suites: rel
Components: main
Enabled: no

Types: deb-src deb
URIs: http://both.example/debian
Suites: rel
Components: main
LIST
cat >"$etc/sources.list.d/vendor.sources" <<'LIST'
Types: deb
URIs: https://vendor.example/apt
Suites: nodistro
Components: main
LIST

"$tool" "$work/out" "$etc" rel || fail "exit code $? for a configuration with entries"
expected_list='deb-src http://mirror.example/debian rel main contrib
deb-src [arch=amd64 signed-by=/k.gpg] http://mirror.example/debian rel-updates main
deb-src http://spaced.example/debian rel main'
[[ "$(cat "$work/out/machine.list")" == "$expected_list" ]] ||
    fail "one-line entries:"$'\n'"$(cat "$work/out/machine.list")"
expected_sources='Types: deb-src
URIs: http://mirror.example/debian-security
Suites: rel-security
Components: main
Signed-By: 
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 abc
 -----END PGP PUBLIC KEY BLOCK-----

Types: deb-src
URIs: http://both.example/debian
Suites: rel
Components: main'
[[ "$(cat "$work/out/machine.sources")" == "$expected_sources" ]] ||
    fail "deb822 entries:"$'\n'"$(cat "$work/out/machine.sources")"

# A release that no entry names: every entry rather than none.
"$tool" "$work/all" "$etc" unknown || fail "exit code $? when no entry is of the release"
grep -qx 'deb-src https://vendor.example/apt stable main' "$work/all/machine.list" ||
    fail "no fallback to every entry: $(cat "$work/all/machine.list")"
grep -qx 'Suites: nodistro' "$work/all/machine.sources" || fail "no fallback in deb822: $(cat "$work/all/machine.sources")"

# Nothing configured: a reason and exit 1.
mkdir -p "$work/empty"
"$tool" "$work/none" "$work/empty" rel 2>"$work/err"
code=$?
[[ $code -eq 1 && -s "$work/err" ]] || fail "an empty configuration gave exit $code and '$(cat "$work/err")'"

if [[ $failures -ne 0 ]]; then exit 1; fi
echo "deb-src entries: all checks passed"
