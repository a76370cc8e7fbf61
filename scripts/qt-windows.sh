#!/usr/bin/env bash
# Builds Qt 6.4.2 (qtbase: Core, Gui, Widgets, Network for local sockets, Test,
# the windows platform plugin, the vista style, ico) for x86_64 Windows with Debian's mingw-w64,
# from Debian's own qt6-base source package, and prints the install prefix on
# its last line of standard output.
#
# The result is cached outside the clone, keyed by the source version and by
# this script, its toolchain file and the mingw-w64 compiler's package version
# (the compiler's runtime DLLs are copied into it), and carries a checksum of every file it
# holds: a cache that is missing, half-written or altered is built again.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

source_version=6.4.2+dfsg-10
toolchain=$top/cmake/mingw-w64-x86_64.cmake
say() { echo "qt-windows: $*" >&2; }
fail() { say "FAILED at step: $*"; exit 1; }
source "$top/scripts/debian-source.sh"

"$top/scripts/install-deps.sh" build windows qtsource >&2 || fail "installing the packages"
compiler_version=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix) || fail "reading the compiler's version"
key=$( (cat "$0" "$toolchain"; echo "$compiler_version") | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/korvist
prefix=$cache/qt-windows-$source_version-$key
manifest=$prefix/korvist-manifest.sha256

cache_is_sound() {
    [ -f "$manifest" ] && [ -f "$prefix/bin/Qt6Widgets.dll" ] &&
        (cd "$prefix" && sha256sum --quiet --strict -c korvist-manifest.sha256 >/dev/null 2>&1)
}

if cache_is_sound; then
    say "using the cached build in $prefix"
    echo "$prefix"
    exit 0
fi
[ -e "$prefix" ] && say "the cache in $prefix is incomplete or altered: building it again"
rm -rf "$prefix"

work=$(mktemp -d "${TMPDIR:-/tmp}/korvist-qt-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT
say "fetching the source of qt6-base $source_version"
src=$(debian_source "qt6-base=$source_version" "$work") || fail "apt-get source qt6-base=$source_version"
cd "$work"

# Qt 6.4.2 builds the DirectWrite font database only with direct2d on, but
# still refers to it when direct2d is off; we build without direct2d.
integration=$src/src/plugins/platforms/windows/qwindowsintegration.cpp
sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' "$integration"
[ "$(grep -c '^#if QT_CONFIG(directwrite3) && QT_CONFIG(direct2d)$' "$integration")" -eq 2 ] ||
    fail "patching qwindowsintegration.cpp (the source is not the one this script knows)"

# The manifest is written last: a build that stops half-way leaves none.
say "configuring"
staging=$prefix
cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$staging" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF -DQT_BUILD_MANUAL_TESTS=OFF \
    -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF \
    -DFEATURE_pkg_config=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_network=ON -DINPUT_openssl=no -DFEATURE_brotli=OFF \
    -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=ON -DFEATURE_tabletevent=OFF \
    -DFEATURE_freetype=OFF -DFEATURE_fontconfig=OFF -DFEATURE_jpeg=OFF -DFEATURE_zstd=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF \
    >"$work/configure.log" 2>&1 || { tail -n 40 "$work/configure.log" >&2; fail "configuring Qt"; }

say "building (about 15 minutes on two cores)"
cmake --build "$work/build" -j2 >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; fail "building Qt"; }
cmake --install "$work/build" >"$work/install.log" 2>&1 || { tail -n 40 "$work/install.log" >&2; fail "installing Qt"; }

# The compiler's runtime goes beside Qt's DLLs: everything built against this
# Qt needs it, and the program's deployment copies it from here.
for dll in /usr/lib/gcc/x86_64-w64-mingw32/*-posix/libstdc++-6.dll \
           /usr/lib/gcc/x86_64-w64-mingw32/*-posix/libgcc_s_seh-1.dll \
           /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll; do
    [ -f "$dll" ] || fail "finding the compiler runtime ($dll)"
    cp "$dll" "$staging/bin/"
done
for plugin in platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qico.dll; do
    [ -f "$staging/plugins/$plugin" ] || fail "checking the build (plugins/$plugin is missing)"
done
[ -f "$staging/bin/Qt6Network.dll" ] || fail "checking the build (bin/Qt6Network.dll is missing)"

# The manifest is made outside the tree it lists, then moved in as the last step.
(cd "$staging" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$work/manifest" ||
    fail "writing the manifest"
mv "$work/manifest" "$manifest"
say "built into $prefix"
echo "$prefix"
