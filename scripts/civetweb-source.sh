#!/usr/bin/env bash
# Unpacks Debian's civetweb source (the same release as Linux's
# libcivetweb-dev), whose civetweb.c the Windows program compiles in
# (cmake/KorvistCivetweb.cmake, -DKORVIST_CIVETWEB_SOURCE=DIR), and prints its
# directory on the last line of standard output. The sources stay outside the clone.
#
# Cached, keyed by the source version and these scripts, with a checksum of
# every file written last: a cache that is missing, half-written or altered is
# fetched again, never trusted.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/debian-source.sh"

source_version=1.15+dfsg-4
say() { echo "civetweb-source: $*" >&2; }
fail() { say "FAILED at step: $*"; exit 1; }

key=$(cat "$0" "$top/scripts/debian-source.sh" | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/korvist
dir=$cache/civetweb-source-$source_version-$key
manifest=korvist-manifest.sha256
needed=(src/civetweb.c include/civetweb.h)

cache_is_sound() {
    [ -f "$dir/$manifest" ] && (cd "$dir" && ls "${needed[@]}" >/dev/null 2>&1 &&
        sha256sum --quiet --strict -c "$manifest" >/dev/null 2>&1)
}

if cache_is_sound; then
    say "using the cached source in $dir"
    echo "$dir"
    exit 0
fi
[ -e "$dir" ] && say "the cache in $dir is incomplete or altered: fetching it again"
rm -rf "$dir"

"$top/scripts/install-deps.sh" qtsource >&2 || fail "installing dpkg-dev"
mkdir -p "$cache"
work=$(mktemp -d "$cache/.civetweb-source.XXXXXX")
trap 'rm -rf "$work"' EXIT
say "fetching the source of civetweb $source_version"
tree=$(debian_source "civetweb=$source_version" "$work") || fail "apt-get source civetweb=$source_version"
for file in "${needed[@]}"; do
    [ -f "$tree/$file" ] || fail "checking the source ($file is missing)"
done

# The manifest goes in last, and the tree is renamed into place in one step.
(cd "$tree" && find . -type f ! -name "$manifest" -print0 | sort -z | xargs -0 sha256sum) >"$work/manifest" ||
    fail "writing the manifest"
mv "$work/manifest" "$tree/$manifest"
mv -T "$tree" "$dir" || fail "moving the source into $dir"
say "unpacked into $dir"
echo "$dir"
