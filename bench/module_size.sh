#!/usr/bin/env bash
# The browser build's programs by group of functions: builds the site once
# more with the names of the functions kept in each module, then prints
# bench/module_functions.mjs's tables.
#
#   bash bench/module_size.sh [FOLDER]    (default build-web-symbols)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-web-symbols}
SITE_ONLY=1 bash "$root/web/build.sh" "$build" -DCMAKE_EXE_LINKER_FLAGS=--profiling-funcs > /dev/null
node "$root/bench/module_functions.mjs" "$build/bin/varnel.js" "$build/bin/pindle.js"
