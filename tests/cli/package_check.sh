#!/usr/bin/env bash
# The installable program: `cmake --install` into a scratch prefix and the
# .deb from `cpack -G DEB` both hold the binaries, the desktop entry, the icon
# and the Python reader; the package depends on real Debian packages, and
# unpacked into a scratch root its binaries resolve every library and run.
# Usage: package_check.sh BUILD_DIR (configured and built).
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "package check: $*" >&2; exit 1; }

files=(
  bin/Korin16 bin/korin16-cli
  share/applications/korin16.desktop
  share/icons/hicolor/scalable/apps/korin16.svg
  lib/python3/dist-packages/korin16/__init__.py lib/python3/dist-packages/korin16/__main__.py
  lib/python3/dist-packages/korin16/pldat.py lib/python3/dist-packages/korin16/info.py
  lib/python3/dist-packages/korin16/neo_io.py lib/python3/dist-packages/korin16/stimulation_log.py
)

# The installed tree under PREFIX: every file, and a desktop entry the menus take.
check_tree() {
  local prefix=$1
  for f in "${files[@]}"; do [ -f "$prefix/$f" ] || fail "$prefix/$f is missing"; done
  local entry="$prefix/share/applications/korin16.desktop"
  for line in "Exec=Korin16" "Icon=korin16" "Categories=Science;MedicalSoftware;"; do
    grep -qxF "$line" "$entry" || fail "the desktop entry has no line $line"
  done
  if command -v desktop-file-validate > /dev/null; then desktop-file-validate "$entry"; fi
}

echo "== cmake --install into a scratch prefix"
cmake --install "$build" --prefix "$scratch/prefix" > /dev/null
check_tree "$scratch/prefix"

echo "== cpack -G DEB"
rm -f "$build"/korin16_*.deb
(cd "$build" && cpack -G DEB > "$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
debs=("$build"/korin16_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single korin16 .deb"
deb=${debs[0]}

listing=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for f in "${files[@]}"; do
  grep -qxF "./usr/$f" <<< "$listing" || fail "the package holds no /usr/$f"
done

# Every dependency names a package Debian has (installed here, since the build
# needs the same libraries); the named ones are there.
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
names() { tr ',' '\n' <<< "$1" | sed 's/^ *//; s/[ (].*//' | sed '/^$/d'; }
for p in libqt6widgets6 libqt6openglwidgets6 libqt6opengl6 libglfw3 libpugixml1v5 python3-numpy; do
  names "$depends" | grep -qxF "$p" || fail "Depends lacks $p: $depends"
done
for p in python3-neo python3-matplotlib; do
  names "$recommends" | grep -qxF "$p" || fail "Recommends lacks $p: $recommends"
done
for p in $(names "$depends"); do
  dpkg-query -W "$p" > /dev/null 2>&1 || apt-cache show "$p" > /dev/null 2>&1 || fail "Depends names $p, which Debian has not"
done

echo "== the package unpacked into a scratch root"
root="$scratch/root"
dpkg -x "$deb" "$root"
check_tree "$root/usr"
for b in Korin16 korin16-cli; do
  if ldd "$root/usr/bin/$b" | grep -q "not found"; then
    ldd "$root/usr/bin/$b" >&2
    fail "$b has libraries that do not resolve"
  fi
done
"$root/usr/bin/korin16-cli" devices > "$scratch/devices.txt" || fail "korin16-cli devices failed"
grep -q "^Using: " "$scratch/devices.txt" || fail "korin16-cli devices named no device"

# The packaged tool records, and the packaged reader describes the file as it does.
mkdir "$scratch/rec"
"$root/usr/bin/korin16-cli" record --out "$scratch/rec" --repeat 2 --time 0.5 --interval 1 > /dev/null
data=$(ls "$scratch"/rec/*.pldat)
"$root/usr/bin/korin16-cli" info "$data" > "$scratch/cli-info.txt"
(cd "$scratch" && PYTHONPATH="$root/usr/lib/python3/dist-packages" /usr/bin/python3 -m korin16 info "$data") \
  > "$scratch/python-info.txt"
cmp "$scratch/cli-info.txt" "$scratch/python-info.txt" || fail "the packaged reader's info differs from the tool's"

echo "package check: ok ($(basename "$deb"))"
