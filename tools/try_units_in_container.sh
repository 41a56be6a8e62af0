#!/usr/bin/env bash
# Tries the Debian package's system units under a real systemd, on a machine
# where systemd is not PID 1 (a CI runner, a container): boots a Debian 12
# container (debootstrap, systemd-nspawn, with a network of its own that holds
# only loopback), installs the package, asks the page as two users, then removes
# and purges the package, printing what systemd says at each step. Needs root;
# the container lives in build-container/ (about 400 MB; delete it when done).
#   sudo bash tools/try_units_in_container.sh [build-deb/varnex_VERSION_ARCH.deb]
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "${1:-$(ls build-deb/varnex_*.deb)}")
root=$PWD/build-container/root

if ! command -v systemd-nspawn >/dev/null || ! command -v debootstrap >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends systemd-container debootstrap
fi
if [ ! -x "$root/usr/lib/systemd/systemd" ]; then
  mkdir -p "$(dirname "$root")"
  # The package's dependencies as dpkg-deb lists them, without version bounds.
  depends=$(dpkg-deb -f "$deb" Depends | sed -E 's/\([^)]*\)//g; s/[[:space:]]//g')
  debootstrap --variant=minbase --include="systemd,systemd-sysv,dbus,curl,iproute2,procps,$depends" \
    bookworm "$root" http://deb.debian.org/debian
fi
cp "$deb" "$root/root/varnex.deb"

systemd-nspawn -q -D "$root" --register=no --keep-unit --private-network -b --console=passive \
  >"$(dirname "$root")/boot.log" 2>&1 &
container=$!
trap 'kill "$container" 2>/dev/null || true; wait "$container" 2>/dev/null || true' EXIT
inside() { nsenter -t "$(pgrep -P "$container" -x systemd)" -a "$@"; }
for _ in $(seq 60); do
  state=$(inside systemctl is-system-running 2>/dev/null || true)
  [ "$state" = running ] || [ "$state" = degraded ] && break
  sleep 1
done

inside sh -c '
  set -e
  dpkg -i /root/varnex.deb >/dev/null
  echo "== installed: socket $(systemctl is-enabled varnex-registrar.socket), $(systemctl is-active varnex-registrar.socket)"
  id alice >/dev/null 2>&1 || useradd -m alice
  id bob >/dev/null 2>&1 || useradd -m bob
  for user in alice bob; do
    su "$user" -c "curl -s -o /dev/null -w \"$user: %{http_code} in %{time_total} s\n\" \
      http://127.0.0.1:8537/whois.cgi?vhost_name=${user}shop"
  done
  echo "== the service runs as: $(ps -o user= -C varnex-registrar)"
  systemd-analyze security varnex-registrar.service | tail -n 1
  journalctl -u varnex-registrar --no-pager -o cat | tail -n 4
  ls -ld /var/cache/private/varnex-registrar
  dpkg -r varnex >/dev/null
  echo "== removed: socket $(systemctl is-active varnex-registrar.socket), service $(systemctl is-active varnex-registrar.service)"
  ss -ltn | grep -q ":8537 " && echo "port 8537 still held" || echo "port 8537 free"
  dpkg -P varnex >/dev/null
  [ -e /var/cache/private/varnex-registrar ] && echo "== purged: cache left" || echo "== purged: cache gone"
'
inside systemctl poweroff || true
