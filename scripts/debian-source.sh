# Sourced by the scripts that build from Debian's own source packages.
# debian_source PACKAGE=VERSION DIR fetches and unpacks that source (its
# Debian patches applied) into DIR, and prints the unpacked tree's path.
# Log lines and apt's output go to standard error.

# apt-get source needs a deb-src entry; one of our own leaves the system's lists as they are.
debian_source_lists() {
    local wanted=$1 list=/etc/apt/sources.list.d/korvist-deb-src.sources
    apt-get source --print-uris "$wanted" >/dev/null 2>&1 && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "adding Debian's source lists ($list)" >&2
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' |
        "${sudo[@]}" tee "$list" >/dev/null || return 1
    "${sudo[@]}" apt-get update >&2 || return 1
}

debian_source() {
    local wanted=$1 dir=$2
    debian_source_lists "$wanted" || { echo "adding the source lists failed" >&2; return 1; }
    (cd "$dir" && apt-get source "$wanted" >"$dir/source.log" 2>&1) || { cat "$dir/source.log" >&2; return 1; }
    local tree
    tree=$(find "$dir" -mindepth 1 -maxdepth 1 -type d -name "${wanted%%=*}-*" | head -n1)
    [ -n "$tree" ] || { echo "apt-get source $wanted unpacked nothing" >&2; return 1; }
    echo "$tree"
}
