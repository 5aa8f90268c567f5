#!/usr/bin/env bash
# Builds both programs for the browser with Debian's Emscripten and puts the
# site together in FOLDER/site (default build-web/site): index.html, the
# two programs' scripts and xterm.js. Installs what it needs from Debian's
# packages and the npm registry (the versions web/package-lock.json pins).
#
#   bash web/build.sh [FOLDER] [CMAKE ARGUMENTS...]
#
# SITE_ONLY=1 builds the site alone, without the tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-web}
[ $# -gt 0 ] && shift
bash "$root/.ci/install-tools.sh" cmake emscripten
command -v npm > /dev/null || { echo "web/build.sh needs Node.js and npm" >&2; exit 1; }
# npm ci only where the pinned packages are missing or differ.
if ! (cd "$root/web" && npm ls --depth=0 > /dev/null 2>&1); then
    (cd "$root/web" && npm ci --no-audit --no-fund)
fi
# Smallest code: the page loads it whole. Node.js runs the tests (the
# toolchain's default adds an option that Node.js 20 refuses).
emcmake cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" "$@" \
    > /dev/null 2> >(grep -v "^configure: " >&2)
if [ "${SITE_ONLY:-}" = 1 ]; then
    cmake --build "$build" -j2 --target site
else
    cmake --build "$build" -j2
fi
echo "site: $build/site"
