#!/usr/bin/env bash
# Checks a Varnex Debian package (default: the one tools/package.sh built):
# the files it must hold, its desktop entry and AppStream metadata as
# installed, its systemd units (verified, and the service's sandbox rated at most
# 2.0 by systemd-analyze security), lintian, which fails it on any error and
# reports its warnings, and, where this machine has no Varnex of its own, that
# installing, removing and purging it enables, disables and cleans up as it should.
set -euo pipefail
cd "$(dirname "$0")/.."

deb="${1:-$(ls build-deb/varnex_*.deb)}"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

echo "== $deb: $(stat -c %s "$deb") bytes"
dpkg-deb --info "$deb"
contents=$(dpkg-deb --contents "$deb")
echo "$contents"
missing=0
for path in usr/bin/varnex usr/bin/varnex-registrar usr/bin/varnex-scan \
  lib/systemd/system/varnex-registrar.socket lib/systemd/system/varnex-registrar.service \
  usr/share/applications/varnex.desktop usr/share/metainfo/com.ormbrook.varnex.metainfo.xml \
  usr/share/man/man1/varnex.1.gz usr/share/man/man1/varnex-registrar.1.gz usr/share/man/man1/varnex-scan.1.gz \
  usr/share/doc/varnex/copyright usr/share/doc/varnex/changelog.gz \
  usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/varnex.png; do
  if ! grep -q " \./$path\$" <<<"$contents"; then
    echo "check_package: the package lacks /$path" >&2
    missing=1
  fi
done
[ "$missing" -eq 0 ]

dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree/usr/share/applications/varnex.desktop"
appstreamcli validate --no-net --pedantic "$tree/usr/share/metainfo/com.ormbrook.varnex.metainfo.xml"
for page in "$tree"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "check_package: $page: $warnings" >&2; exit 1; }
done

echo "== systemd units"
# The sandbox's rating, 0 (locked down) to 10 (exposed); the threshold is in tenths.
systemd-analyze security --offline=true --root="$tree" --threshold=20 \
  "$tree"/lib/systemd/system/varnex-registrar.service | tail -n 1
bash tools/check_package_install.sh "$deb"

echo "== lintian"
lintian --fail-on error --display-level ">=warning" "$deb"
echo "check_package: $deb passed"
