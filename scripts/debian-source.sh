# Sourced by the scripts that build from Debian's own source packages.
# debian_source PACKAGE=VERSION DIR fetches and unpacks that source (its
# Debian patches applied) into DIR, and prints the unpacked tree's path.
# Log lines and apt's output go to standard error.

# The machine's own package sources as source entries: whatever archive or
# mirror this machine installs from serves the matching sources too.
debian_source_entries() {
    local dir=/etc/apt/sources.list.d
    for file in "$dir"/*.sources; do
        [ -e "$file" ] && [ "${file##*/}" != korvist-deb-src.sources ] || continue
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /(^|\n)Types:[^\n]*[ \t]deb([ \t]|\n|$)/ {
                 out = ""
                 n = split($0, lines, "\n")
                 for (i = 1; i <= n; i++) {
                     if (lines[i] ~ /^#/) continue
                     if (lines[i] ~ /^Types:/) lines[i] = "Types: deb-src"
                     out = out lines[i] "\n"
                 }
                 printf "%s\n", out
             }' "$file"
    done
}
debian_source_list_lines() {
    local file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -e "$file" ] && [ "${file##*/}" != korvist-deb-src.list ] || continue
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$file"
    done
}

# apt-get source needs a deb-src entry; ones of our own leave the system's lists as they are.
debian_source_lists() {
    local wanted=$1 dir=/etc/apt/sources.list.d
    apt-get source --print-uris "$wanted" >/dev/null 2>&1 && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "adding source entries for the machine's package sources ($dir/korvist-deb-src.*)" >&2
    local entries lines
    entries=$(debian_source_entries)
    lines=$(debian_source_list_lines)
    [ -n "$entries$lines" ] || { echo "the machine has no package sources (Types: deb) to take them from" >&2; return 1; }
    if [ -n "$entries" ]; then
        printf '%s\n' "$entries" | "${sudo[@]}" tee "$dir/korvist-deb-src.sources" >/dev/null || return 1
    fi
    if [ -n "$lines" ]; then
        printf '%s\n' "$lines" | "${sudo[@]}" tee "$dir/korvist-deb-src.list" >/dev/null || return 1
    fi
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
