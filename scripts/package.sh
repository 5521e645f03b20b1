#!/usr/bin/env bash
# Packs the built program for the site's download page, into OUT_DIR (default: the built
# site's download folder):
#   veltrano_VERSION_ARCH.deb           the Debian package (CPack; its dependencies are
#                                       computed by dpkg-shlibdeps), installing to /usr
#   veltrano-VERSION-linux-ARCH.tar.gz  a portable folder: the program, its libraries, a
#                                       question bank built afresh from the sources (so no
#                                       learner's marks travel with it), the grade service
#                                       and the site's pages
#   bash scripts/package.sh [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${VELTRANO_BUILD_DIR:-build}
BIN="$(pwd)/$BUILD_DIR/bin"
# The package installs below /usr (settings in /etc); a build configured for another
# prefix is set back for it.
cmake -S . -B "$BUILD_DIR" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)" >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD_DIR/CMakeCache.txt")
out=${1:-$BIN/site/download}
name="veltrano-$version-linux-$(uname -m)"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name" "$stage/deb" "$out"

# Both packages are written under another name first, so the download page never lists
# half a package.
(cd "$BUILD_DIR" && cpack -G DEB -B "$stage/deb" >/dev/null)
for deb in "$stage"/deb/*.deb; do
  cp "$deb" "$out/$(basename "$deb").part"
  mv "$out/$(basename "$deb").part" "$out/$(basename "$deb")"
  echo "$out/$(basename "$deb")"
done

cp "$BIN/veltrano" "$BIN/veltrano-server" "$BIN/veltrano-bank" "$BIN"/*.so "$stage/$name/"
"$BIN/veltrano-bank" build assets/bank "$stage/$name/DriveDB.db" >/dev/null
cp -r site "$stage/$name/site"
[ ! -d "$BIN/ruffle" ] || cp -r "$BIN/ruffle" "$stage/$name/ruffle"
tar -C "$stage" -czf "$out/$name.tar.gz.part" "$name"
mv "$out/$name.tar.gz.part" "$out/$name.tar.gz"
echo "$out/$name.tar.gz"
