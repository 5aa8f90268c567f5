#!/usr/bin/env bash
# Cross-builds both programs for Windows with MinGW-w64, in UTF-8 and in
# CP949, and runs the transcript suite against each .exe under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash .ci/install-tools.sh g++-mingw-w64-x86-64-posix wine64 wine unzip

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
# One Wine server for every test: a server that shuts down after one test
# while the next one starts it fails that test with empty output.
wineserver -k 2>/dev/null || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT

status=0
for encoding in UTF-8 CP949; do
    start=$SECONDS
    ctest --test-dir "$root/$encoding" -j2 --output-on-failure || status=1
    echo "Windows $encoding tests under Wine: $((SECONDS - start))s"
done

# The archive: both encodings' programs and the text on which to run where.
cmake -S . -B "$root/UTF-8" -DWINDOWS_ARCHIVE_ALSO="$root/CP949" > /dev/null
(cd "$root/UTF-8" && cpack -G ZIP > /dev/null)
version=$(sed -nE 's/^project\(varnel_pindle VERSION ([0-9.]+) .*/\1/p' CMakeLists.txt)
archive="$root/UTF-8/varnel-pindle-$version-win64.zip"
listing=$(unzip -Z1 "$archive" | grep -v '/$' | LC_ALL=C sort)
folder=varnel-pindle-$version-win64
expected=$(printf '%s\n' "$folder/LICENSE.txt" "$folder/README-windows.txt" \
    "$folder/cp949/pindle.exe" "$folder/cp949/varnel.exe" "$folder/utf-8/pindle.exe" "$folder/utf-8/varnel.exe")
if [ "$listing" != "$expected" ]; then
    printf 'the Windows archive holds:\n%s\nnot:\n%s\n' "$listing" "$expected"
    status=1
fi
# Each folder holds its own encoding: the menu's first Korean word in its bytes.
for encoding in UTF-8 CP949; do
    folder=$(echo "$encoding" | tr '[:upper:]' '[:lower:]')
    word=$(printf '메인 메뉴' | iconv -f UTF-8 -t "$encoding")
    unzip -p "$archive" "varnel-pindle-$version-win64/$folder/varnel.exe" > "$root/packed-varnel.exe"
    if ! LC_ALL=C grep -qaF "$word" "$root/packed-varnel.exe"; then
        echo "the archive's $folder/varnel.exe does not print $encoding"
        status=1
    fi
done
# No link time stamp: two builds of one commit give the same .exe files.
for program in "$root"/UTF-8/bin/varnel.exe "$root"/CP949/bin/pindle.exe; do
    stamp=$(x86_64-w64-mingw32-objdump -p "$program" | grep '^Time/Date')
    if [[ "$stamp" != *" 1970" ]]; then
        echo "$program carries a link time stamp: $stamp"
        status=1
    fi
done
echo "Windows archive: $(stat -c %s "$archive") bytes, $(echo "$listing" | wc -l) files"
exit "$status"
