#!/usr/bin/env bash
# Builds the site (web/build.sh) and serves it on this machine only; prints
# the address to open. Ctrl-C stops the server.
#
#   bash web/serve.sh [PORT]     (default 8000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
port=${1:-8000}
bash "$root/web/build.sh" "$root/build-web" > /dev/null
echo "varnel: http://127.0.0.1:$port/index.html"
echo "pindle: http://127.0.0.1:$port/index.html?program=pindle"
exec python3 -m http.server --bind 127.0.0.1 --directory "$root/build-web/site" "$port"
