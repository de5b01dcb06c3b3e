#!/usr/bin/env bash
# Builds the Debian package tavi_<version>_<arch>.deb from a built tree, without compiling
# anything again, and prints its path as its last line.
#   TAVI_BUILD_DIR    the built tree (default build/); missing parts of it are built first
#   TAVI_PACKAGE_DIR  where the package goes (default: the built tree)
# Needs dpkg-dev (dpkg-shlibdeps, dpkg-gencontrol), binutils and gzip; lintian judges the result.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${TAVI_BUILD_DIR:-$here/build}" && pwd)
out=${TAVI_PACKAGE_DIR:-$build}
mkdir -p "$out"
out=$(cd "$out" && pwd)

[ -f "$build/CMakeCache.txt" ] || { echo "no built tree in $build: run scripts/setup.sh first" >&2; exit 1; }
# Up to date already after a full build; only what the package holds otherwise.
cmake --build "$build" --target Tavi lunar-table tavi_icons wallpaper_default_background >&2

version=$(sed -n 's/^project(Tavi VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
[ -n "$version" ] || { echo "no version in CMakeLists.txt" >&2; exit 1; }
# The same sources give the same package: its dates are the last commit's.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$here" log -1 --format=%ct 2>/dev/null || date +%s)}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/debian/tavi # where dpkg-shlibdeps looks for a package's files
umask 022
DESTDIR=$root cmake --install "$build" --prefix /usr --component system >&2

doc=$root/usr/share/doc/tavi
mkdir -p "$doc" "$work/debian" "$root/usr/share/lintian/overrides"
cp "$here/packaging/debian/control" "$work/debian/control"
cp "$here/packaging/debian/copyright" "$doc/copyright"
cp "$here/packaging/debian/lintian-overrides" "$root/usr/share/lintian/overrides/tavi"
[ -s "$root/usr/share/lintian/overrides/tavi" ] || rm -r "$root/usr/share/lintian"
{
    echo "tavi ($version) unstable; urgency=medium"
    echo
    echo "  * Release $version."
    echo
    echo " -- $(sed -n 's/^Maintainer: //p' "$work/debian/control")  $(date -u -R -d "@$SOURCE_DATE_EPOCH")"
} >"$work/debian/changelog"
gzip -9n <"$work/debian/changelog" >"$doc/changelog.gz"
for page in "$root"/usr/share/man/man1/*.1; do gzip -9n "$page"; done

for bin in "$root"/usr/bin/*; do
    strip --strip-unneeded --remove-section=.comment --remove-section=.note "$bin"
done
# Whatever the build's umask was, the package's modes are the usual ones.
find "$root" -type d -exec chmod 0755 {} +
find "$root" -type f -exec chmod 0644 {} +
chmod 0755 "$root"/usr/bin/*
find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

cd "$work"
mkdir -p "$root/DEBIAN"
dpkg-shlibdeps -Tdebian/substvars "$root"/usr/bin/* >&2
dpkg-gencontrol -ptavi -P"$root" -Tdebian/substvars -fdebian/files >&2
(cd "$root" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 0644 "$root/DEBIAN/md5sums" "$root/DEBIAN/control"
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb=$out/tavi_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >&2
echo "$deb"
