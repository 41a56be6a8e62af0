#!/usr/bin/env bash
# How long an offline machine waits for "No registry could be reached": the
# registrar in a network namespace with loopback only, its resolver either
# silent (it takes every question and never answers, as a dead link or a
# dropping firewall does) or refusing (nothing listens on port 53). Each case
# asks three fresh names with the built-in bootstrap and prints each answer's
# status and time. Needs root, for the namespaces and the bind-mounted
# resolv.conf; the machine's own network and files are left as they are.
#   sudo bash bench/offline_page.sh [build/registrar/app/varnex-registrar]
set -euo pipefail
cd "$(dirname "$0")/.."
registrar=$(realpath "${1:-build/registrar/app/varnex-registrar}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
echo "nameserver 127.0.0.1" >"$scratch/resolv.conf"

cat >"$scratch/silent_dns.py" <<'PY'
import select, socket
udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
udp.bind(("127.0.0.1", 53))
tcp = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
tcp.bind(("127.0.0.1", 53))
tcp.listen(64)
held = []
while True:
    for ready in select.select([udp, tcp], [], [])[0]:
        if ready is udp:
            udp.recvfrom(4096)
        else:
            held.append(tcp.accept()[0])
PY

run_case() { # name, then whether a silent resolver runs
  SCRATCH="$scratch" REGISTRAR="$registrar" SILENT="$2" CASE="$1" unshare --mount --net bash -c '
    set -euo pipefail
    ip link set lo up
    mount --bind "$SCRATCH/resolv.conf" /etc/resolv.conf
    if [ "$SILENT" = yes ]; then /usr/bin/python3 "$SCRATCH/silent_dns.py" & fi
    export CACHE_DIRECTORY=$(mktemp -d -p "$SCRATCH")
    "$REGISTRAR" --listen 127.0.0.1:18599 --bootstrap-url off 2>"$SCRATCH/$CASE.log" &
    for _ in $(seq 100); do grep -q "listening on" "$SCRATCH/$CASE.log" && break; sleep 0.05; done
    for name in myshop bluebird coffeebeans; do
      curl -s -o /dev/null -w "$CASE  $name  %{http_code}  %{time_total} s\n" \
        "http://127.0.0.1:18599/whois.cgi?vhost_name=$name"
    done
    kill $(jobs -p)
  '
}
echo "case            name  status  time"
run_case "silent-resolver" yes
run_case "no-resolver    " no
