#!/usr/bin/env bash
# Builds the site alone (web/build.sh, without the tests) and serves it on
# this machine only; prints the address to open. Ctrl-C stops the server.
#
#   bash web/serve.sh [PORT]     (default 8000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
port=${1:-8000}
# A line as each step starts, with the time so far; the build's own lines
# go to build-web.log.
echo "serve.sh: building the site in build-web/ (a first build takes a few minutes; log: build-web.log)" >&2
SITE_ONLY=1 bash "$root/web/build.sh" "$root/build-web" > "$root/build-web.log" 2>&1 ||
    { tail -n 20 "$root/build-web.log" >&2; exit 1; }
echo "serve.sh: built in ${SECONDS}s; serving on 127.0.0.1:$port" >&2
echo "varnel: http://127.0.0.1:$port/index.html"
echo "pindle: http://127.0.0.1:$port/index.html?program=pindle"
exec python3 -m http.server --bind 127.0.0.1 --directory "$root/build-web/site" "$port"
