#!/usr/bin/env bash
# Cross-builds both programs for Windows with MinGW-w64, in UTF-8 and in
# CP949, and runs the transcript suite against each .exe under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash .ci/install-tools.sh g++-mingw-w64-x86-64-posix wine64 wine

root=$PWD/build-windows
mkdir -p "$root/wine"
# Wine keeps everything it writes inside the build folder, prints no
# debugging and never starts a debugger or desktop integration.
export HOME="$root/wine" TMPDIR="$root/wine" WINEPREFIX="$root/wine/prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;winedbg.exe=d"

# The Wine prefix is made while the compiler runs.
wineboot -i > "$root/wine/wineboot.log" 2>&1 &
wineboot_pid=$!

for encoding in UTF-8 CP949; do
    start=$SECONDS
    cmake -S . -B "$root/$encoding" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
        -DCONSOLE_ENCODING="$encoding" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON > /dev/null
    cmake --build "$root/$encoding" -j2
    echo "Windows $encoding build: $((SECONDS - start))s"
done

if ! wait "$wineboot_pid"; then
    cat "$root/wine/wineboot.log"
    exit 1
fi

status=0
for encoding in UTF-8 CP949; do
    start=$SECONDS
    ctest --test-dir "$root/$encoding" -j2 --output-on-failure || status=1
    echo "Windows $encoding tests under Wine: $((SECONDS - start))s"
done
wineserver -k || true
exit "$status"
