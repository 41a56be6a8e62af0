#!/usr/bin/env bash
# Installs, removes and purges a Varnex Debian package on this machine and checks
# what its maintainer scripts leave: the system socket enabled after install, the
# old per-user enablement gone, nothing enabled after removal, no cache after
# purge; while installed, systemd-analyze verify reads its units in place.
# Skipped where a Varnex package is already installed (it is not ours to remove)
# or where root is out of reach. Without systemd running, the scripts only
# set the enablement links, which is what is checked; the machine ends as it began.
set -euo pipefail

deb="$1"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! sudo -n true 2>/dev/null; then
    echo "check_package_install: skipped, root is needed to install the package"
    exit 0
  fi
  sudo="sudo -n"
fi
if dpkg-query -W -f='${Status}' varnex 2>/dev/null | grep -q "ok installed"; then
  echo "check_package_install: skipped, a Varnex package is already installed"
  exit 0
fi

wants=/etc/systemd/system/sockets.target.wants/varnex-registrar.socket
user_wants=/etc/systemd/user/sockets.target.wants/varnex-registrar.socket
cache=/var/cache/private/varnex-registrar
fail() { echo "check_package_install: $*" >&2; $sudo dpkg --purge varnex >/dev/null 2>&1 || true; exit 1; }

# As an earlier copy left it: a user socket, enabled for every user through
# deb-systemd-helper, whose unit file the upgrade then takes away.
old_unit=/usr/lib/systemd/user/varnex-registrar.socket
$sudo mkdir -p "$(dirname "$old_unit")"
printf '[Socket]\nListenStream=127.0.0.1:8537\n[Install]\nWantedBy=sockets.target\n' | $sudo tee "$old_unit" >/dev/null
$sudo env DPKG_MAINTSCRIPT_PACKAGE=varnex deb-systemd-helper --user enable varnex-registrar.socket >/dev/null 2>&1
$sudo rm -f "$old_unit"
[ -L "$user_wants" ] || fail "could not set up the per-user enablement of an earlier copy"

$sudo dpkg -i "$deb" >/dev/null
[ -L "$wants" ] || fail "install left the system socket disabled ($wants missing)"
[ ! -e "$user_wants" ] && [ ! -L "$user_wants" ] || fail "install left the per-user socket enabled ($user_wants)"
systemd-analyze verify varnex-registrar.socket varnex-registrar.service || fail "systemd-analyze verify found faults in the units"

# The service's cache, as systemd would have made it.
$sudo mkdir -p "$cache"
$sudo touch "$cache/dns.json"
$sudo ln -sfn private/varnex-registrar /var/cache/varnex-registrar

$sudo dpkg --remove varnex >/dev/null
[ ! -L "$wants" ] || fail "removal left the socket enabled ($wants)"
[ -e "$cache/dns.json" ] || fail "removal deleted the cache, which only purge should"
$sudo dpkg --purge varnex >/dev/null
[ ! -e "$cache" ] && [ ! -L /var/cache/varnex-registrar ] || fail "purge left the cache behind"
echo "check_package_install: install enables the socket, remove disables it, purge deletes the cache"
