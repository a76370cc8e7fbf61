#!/usr/bin/env bash
# Usage: cached-source.sh PACKAGE VERSION FILE...
# Unpacks Debian's source of PACKAGE at VERSION (its patches applied) outside
# the clone, checks that it holds every FILE, and prints its directory on the
# last line of standard output. The Windows program compiles such sources in,
# as Debian ships no mingw build of them.
#
# When apt-get source fails (the archive has answered 404 for a Debian diff
# that carries only packaging), the upstream tarball alone is fetched, checked
# against the SHA-256 that apt's signed source index gives for it.
# Cached, keyed by the package, its version and these scripts, with a checksum
# of every file written last: a cache that is missing, half-written or altered
# is fetched again, never trusted.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/debian-source.sh"

package=$1 source_version=$2
shift 2
needed=("$@")
say() { echo "$package-source: $*" >&2; }
fail() { say "FAILED at step: $*"; exit 1; }

key=$(cat "$0" "$top/scripts/debian-source.sh" | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/korvist
dir=$cache/$package-source-$source_version-$key
manifest=korvist-manifest.sha256

cache_is_sound() {
    [ -f "$dir/$manifest" ] && (cd "$dir" && ls "${needed[@]}" >/dev/null 2>&1 &&
        sha256sum --quiet --strict -c "$manifest" >/dev/null 2>&1)
}

# The .orig tarball alone, at the address and checksum apt gives for it.
orig_only() {
    local work=$1/orig line url file sum
    mkdir "$work" || return 1
    line=$(cd "$work" && apt-get source --print-uris "$package=$source_version" | grep "^'.*\.orig\.tar\.") ||
        return 1
    read -r url file _ sum <<<"$line"
    url=${url//\'/}
    sum=${sum#SHA256:}
    say "fetching $file alone"
    curl -fsSL --retry 3 -o "$work/$file" "$url" || return 1
    echo "$sum  $work/$file" | sha256sum --quiet --strict -c - || { say "$file does not match its checksum"; return 1; }
    mkdir "$work/tree" && tar -xf "$work/$file" -C "$work/tree" --strip-components=1 || return 1
    echo "$work/tree"
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
work=$(mktemp -d "$cache/.$package-source.XXXXXX")
trap 'rm -rf "$work"' EXIT
say "fetching the source of $package $source_version"
tree=$(debian_source "$package=$source_version" "$work") ||
    tree=$(orig_only "$work") || fail "fetching $package=$source_version"
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
