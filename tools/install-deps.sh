#!/usr/bin/env bash
# Installs what Varnex needs to build, run and test on Debian 12, as root or through sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++            # build
  clang-format                     # the layout check of the test command
  qt6-base-dev                     # Qt Core, Network, Widgets, Test
  libssl3 ca-certificates          # HTTPS to the registries
  libidn2-dev pkg-config           # IDNA2008 rules for internationalised names
  libc-ares-dev                    # DNS questions to a resolver of our choosing
  libnghttp2-dev                   # HTTP/2 to the registries, with every frame in sight
  libicu-dev                       # plain-ASCII forms of accented names (ICU's transliteration)
  openssl                          # the tests' own certificate for a TLS stand-in registry
  wamerican wamerican-small wordnet-base  # the words (and the common ones), synonyms and plurals names are made of
  wngerman wspanish wfrench        # German, Spanish and French words, kept whole and given their own affixes
  python3 python3-h2 python3-dnslib  # the tests' stand-in registry (also over HTTP/2) and resolver
  fonts-liberation                 # the artwork script's faces (tools/make_artwork.sh)
  fonts-liberation2                # Liberation Sans, copied into the program as its own fonts at build time
  libxcb1-dev                      # the About window's task-bar hint on X11
  xvfb openbox                     # a real X server and window manager for the About window's X11 test
  dpkg-dev file                    # the Debian package: dpkg-shlibdeps, and CPack's test for programs
  systemd                          # systemd-socket-activate, which the registrar's tests pass a socket with
  lintian desktop-file-utils appstream  # checks of the package, its desktop entry and its metadata
)

# Without sudo only root can install what is missing: say what to run as root,
# rather than leave the user with "sudo: command not found".
need_root() {
  local command="apt-get update && apt-get install -y --no-install-recommends $*"
  {
    echo "install-deps.sh: Varnex needs packages that are not installed: $*"
    echo "install-deps.sh: sudo is not installed, so they must be installed as root. As root, run:"
    echo "    $command"
    echo "install-deps.sh: (or, with root's password: su -c '$command')"
    echo "install-deps.sh: then run the script you ran again."
  } >&2
  exit 1
}

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
  [ -z "$sudo" ] || command -v sudo >/dev/null 2>&1 || need_root "${missing[@]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
