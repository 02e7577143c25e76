#!/usr/bin/env bash
# The Debian package of a build: made by cpack from the build's own install rules, with the
# files a Debian system expects where it expects them, control fields whose dependencies
# come from the binaries, and a program that runs from the unpacked tree.
set -euo pipefail

build="$1"
version="$2"
expected_depends="$3"  # package names, separated by blanks
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack could not build the package" >&2
  exit 1
fi
arch="$(dpkg --print-architecture)"
deb="$work/out/quelnor-eval_${version}_${arch}.deb"
[ -f "$deb" ] || { ls "$work/out" >&2; echo "FAIL: no package named $(basename "$deb")" >&2; exit 1; }

# Files: every one under /usr or the udev rules folder, and each expected one present.
listing="$(dpkg-deb -c "$deb" | awk '{ print $6 }')"
while read -r path; do
  case "$path" in
    ./ | ./usr/* | ./lib/ | ./lib/udev/ | ./lib/udev/rules.d/ | ./lib/udev/rules.d/*) ;;
    *) fail "unexpected path in the package: $path" ;;
  esac
done <<<"$listing"
for expected in \
    ./usr/bin/quelnor-eval \
    ./usr/libexec/quelnor-eval/quelnor-eval \
    ./usr/libexec/quelnor-eval/Quelnor_FW.hex \
    ./usr/share/applications/quelnor-eval.desktop \
    ./usr/share/applications/quelnor-eval-virtual.desktop \
    ./usr/share/applications/quelnor-eval-analyzer.desktop \
    ./usr/share/icons/hicolor/scalable/apps/quelnor-eval.svg \
    ./lib/udev/rules.d/60-quelnor-eval.rules \
    ./usr/share/man/man1/quelnor-eval.1.gz \
    ./usr/share/doc/quelnor-eval/copyright; do
  grep -qxF "$expected" <<<"$listing" || fail "missing from the package: $expected"
done

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quelnor-eval ] || fail "Package is \"$(field Package)\""
[ "$(field Version)" = "$version" ] || fail "Version is \"$(field Version)\", not $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is \"$(field Architecture)\""
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
depends="$(field Depends)"
for library in $expected_depends; do
  grep -qE "(^|, )$library( |,|$)" <<<"$depends" || fail "Depends lacks $library: $depends"
done

# The unpacked tree.
root="$work/root"
dpkg-deb -x "$deb" "$root"
grep -q '^License: GPL-3.0-or-later$' "$root/usr/share/doc/quelnor-eval/copyright" ||
  fail "the copyright file does not name GPL-3.0-or-later"
for entry in quelnor-eval quelnor-eval-virtual quelnor-eval-analyzer; do
  desktop="$root/usr/share/applications/$entry.desktop"
  grep -qx 'Icon=quelnor-eval' "$desktop" || fail "$entry.desktop has not our icon"
  program="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
  [ -e "$root/usr/bin/$program" ] || fail "$entry.desktop starts $program, not in /usr/bin"
done
grep -q 'TAG+="uaccess"' "$root/lib/udev/rules.d/60-quelnor-eval.rules" ||
  fail "the udev rule does not give the seat's user access"
man_text="$(gzip -dc "$root/usr/share/man/man1/quelnor-eval.1.gz")"
for word in '\-\-board' '\-\-script' "$version"; do
  grep -qF -- "$word" <<<"$man_text" || fail "the man page does not mention $word"
done

program="$root/usr/bin/quelnor-eval"
shown="$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version)" || fail "--version failed"
[ "$shown" = "quelnor-eval $version" ] || fail "--version printed \"$shown\""

cat >"$work/sweep.script" <<'SCRIPT'
dut R200k
click Command2
click Command6
click Command1
show Strip1
SCRIPT
if output="$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --board sim --script "$work/sweep.script" 2>&1)"; then
  grep -q '^box "Registers have been programmed successfully' <<<"$output" ||
    fail "the unpacked program did not program the virtual board: $output"
  grep -q '^show Strip1 ' <<<"$output" || fail "the unpacked program did not sweep: $output"
else
  fail "the script run from the unpacked package failed: $output"
fi

if ((failures)); then exit 1; fi
echo "package $(basename "$deb") passed"
