# shellcheck shell=bash
# Fetching Debian source packages with apt-get source; sourced by the
# scripts that build third-party libraries from them (build-web-deps,
# build-fuzz-deps). Messages start with $debian_source_who (the script's
# name). Needs `set -euo pipefail` in the caller.
#
#   debian_source_dir PKG ROOT   prints the unpacked source tree of PKG
#                                under ROOT/PKG/, fetching it (with Debian's
#                                patches applied) when it is not there yet
#   debian_source_version DIR    prints the Debian version of a source tree

debian_source_who=${debian_source_who:-$(basename "$0")}

debian_source_sudo=""
if [ "$(id -u)" -ne 0 ]; then
  debian_source_sudo="sudo"
fi

# apt-get source needs deb-src entries. They mirror the deb entries of the
# main Debian archive in /etc/apt/sources.list.d/debian.sources, kept in a
# file of their own.
debian_source_list=/etc/apt/sources.list.d/pelto5-deb-src.sources
debian_source_ready=0
debian_source_ensure_deb_src() {
  [ "$debian_source_ready" -eq 1 ] && return 0
  if ! apt-cache showsrc zlib 2>/dev/null | grep -q '^Package: zlib'; then
    local main=/etc/apt/sources.list.d/debian.sources
    if [ ! -f "$main" ]; then
      echo "$debian_source_who: no $main to derive deb-src entries from;" \
           "add deb-src lines for the Debian archive by hand" >&2
      exit 1
    fi
    # Every deb stanza of the main archive, as deb-src. The security archive
    # is left out: its mirrors do not always carry sources, and the point
    # release's sources build the same libraries.
    local entries
    entries=$(awk -v RS= -v ORS='\n\n' '
      /(^|\n)Types:[^\n]*deb/ && !/security/ {
        sub(/Types:[^\n]*/, "Types: deb-src"); print
      }' "$main")
    if [ -z "$entries" ]; then
      echo "$debian_source_who: found no Debian archive entry in $main" >&2
      exit 1
    fi
    printf '%s\n' "$entries" | $debian_source_sudo tee "$debian_source_list" >/dev/null
    echo "$debian_source_who: added $debian_source_list; updating the package lists" >&2
    $debian_source_sudo apt-get update -qq
  fi
  debian_source_ready=1
}

debian_source_dir() {
  local pkg=$1 dir=$2/$1 tree
  tree=$(find "$dir" -mindepth 2 -maxdepth 2 -name debian -type d 2>/dev/null | head -n1)
  if [ -z "$tree" ]; then
    debian_source_ensure_deb_src
    rm -rf "$dir"
    mkdir -p "$dir"
    echo "$debian_source_who: fetching the $pkg source package" >&2
    # As root apt fetches without its sandbox user, which cannot write here.
    (cd "$dir" && apt-get source -qq -o APT::Sandbox::User=root "$pkg" >/dev/null)
    tree=$(find "$dir" -mindepth 2 -maxdepth 2 -name debian -type d | head -n1)
    if [ -z "$tree" ]; then
      echo "$debian_source_who: apt-get source $pkg left no source tree" >&2
      exit 1
    fi
  fi
  dirname "$tree"
}

debian_source_version() {
  dpkg-parsechangelog -l "$1/debian/changelog" -S Version
}
