#!/usr/bin/env bash
# The title service (`vantrelle-tool serve-titles` on the demo index) while another program on the machine
# tries to wear it down:
#   ratio titles.page_behind_idle   time of a page while 200 idle connections are held open, divided by the
#                                   time of the same page with none (the best the same server does)
#   ratio titles.memory_after_flood resident memory after one connection sent 3 million header lines,
#                                   divided by the resident memory before
#   info  titles.page_behind_idle_ms, titles.rss_after_flood_mb   the figures themselves
# usage: bench/title_site_limits.sh BUILD_DIR   (scripts/bench passes its Release build)
set -euo pipefail
build=$(cd "${1:?usage: bench/title_site_limits.sh BUILD_DIR}" && pwd)
work=$(mktemp -d)
"$build/tools/vantrelle-tool" serve-titles --index "$build/tools/demo-titles.db" >"$work/serving" &
server=$!
trap 'kill $server 2>/dev/null; rm -rf "$work"' EXIT
until grep -q "serving" "$work/serving" 2>/dev/null; do sleep 0.05; done
port=$(sed -n 's|.*http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$work/serving")

python3 - "$port" "$server" <<'PY'
import socket, sys, time

port, pid = int(sys.argv[1]), sys.argv[2]

def rss_mb():
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024

def page_seconds():
    start = time.perf_counter()
    with socket.create_connection(("127.0.0.1", port), timeout=120) as client:
        client.sendall(b"GET http://us.imdb.com/Title?0100001 HTTP/1.1\r\nHost: us.imdb.com\r\nConnection: close\r\n\r\n")
        answer = b""
        while chunk := client.recv(65536):
            answer += chunk
    if not answer.startswith(b"HTTP/1.1 200"):
        raise SystemExit("no page: " + answer[:40].decode(errors="replace"))
    return time.perf_counter() - start

alone = min(page_seconds() for _ in range(20))
idle = [socket.create_connection(("127.0.0.1", port)) for _ in range(200)]
time.sleep(0.2)
behind = page_seconds()
for held in idle:
    held.close()
print(f"info titles.page_behind_idle_ms {behind * 1000:.1f}")
print(f"ratio titles.page_behind_idle {behind / alone:.2f}")

time.sleep(0.5)
before = rss_mb()
flood = socket.create_connection(("127.0.0.1", port), timeout=10)
flood.sendall(b"GET /Title?0100001 HTTP/1.1\r\nHost: us.imdb.com\r\n")
lines = b"X-Flood: y\r\n" * 10000
sent = 0
try:
    while sent < 3_000_000:
        flood.sendall(lines)
        sent += 10000
except OSError:
    pass
peak = rss_mb()
flood.close()
time.sleep(0.5)
after = rss_mb()
print(f"info titles.flood_lines_taken {sent}")
print(f"info titles.rss_before_flood_mb {before:.1f}")
print(f"info titles.rss_after_flood_mb {max(peak, after):.1f}")
print(f"ratio titles.memory_after_flood {max(peak, after) / before:.2f}")
PY
