#!/usr/bin/env bash
# Cross-builds both programs for one Debian architecture with Debian's
# cross compiler, runs the tests under qemu-user, makes the architecture's
# Debian package and checks it against an amd64 one: AMD64_DEB where given,
# else one it makes itself.
#
#   bash .ci/cross.sh ARCH whole|transcripts
#
# "whole" is every test a cross build has, the unit tests with Debian's
# GoogleTest for ARCH among them; "transcripts" builds without GoogleTest:
# the transcripts, the cut-short runs, the stream checks and the check of
# the libraries loaded.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# = 2 ] && [[ $2 =~ ^(whole|transcripts)$ ]] || { echo "usage: bash .ci/cross.sh ARCH whole|transcripts" >&2; exit 2; }
architecture=$1
extent=$2
start=$SECONDS

triplet=$(dpkg-architecture -a "$architecture" -qDEB_HOST_GNU_TYPE 2> /dev/null)
tools=("g++-$triplet" qemu-user lintian)
options=(-DCMAKE_TOOLCHAIN_FILE=cmake/cross-linux-gnu.cmake -DCROSS_TRIPLET="$triplet" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
if [ "$extent" = whole ]; then
    if [ "$architecture" != "$(dpkg --print-architecture)" ] &&
        ! dpkg --print-foreign-architectures | grep -x "$architecture" > /dev/null; then
        dpkg --add-architecture "$architecture"
    fi
    tools+=("libgtest-dev:$architecture")
else
    options+=(-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON)
fi
bash .ci/install-tools.sh "${tools[@]}"

folder=build-$architecture
cmake -S . -B "$folder" "${options[@]}" > /dev/null
cmake --build "$folder" -j2 > "$folder/build.log" 2>&1 || { cat "$folder/build.log"; exit 1; }
built=$SECONDS
status=0
ctest --test-dir "$folder" -j2 --output-on-failure > "$folder/tests.log" 2>&1 || { cat "$folder/tests.log"; status=1; }
echo "$architecture ($triplet, $extent): built in $((built - start))s;" \
    "$(grep -E 'tests passed|tests failed' "$folder/tests.log") in $((SECONDS - built))s"

rm -f "$folder"/*.deb
(cd "$folder" && cpack -G DEB > /dev/null)
deb=$(ls "$folder"/varnel-pindle_*.deb)
amd64_deb=${AMD64_DEB:-}
if [ -z "$amd64_deb" ]; then
    cmake -S . -B "$folder/amd64-package" -DBUILD_TESTING=OFF > /dev/null
    cmake --build "$folder/amd64-package" -j2 > /dev/null
    rm -f "$folder"/amd64-package/*.deb
    (cd "$folder/amd64-package" && cpack -G DEB > /dev/null)
    amd64_deb=$(ls "$folder"/amd64-package/varnel-pindle_*_amd64.deb)
fi
lintian_status=0
tags=$(lintian --fail-on error,warning --display-info "$deb" 2>&1) || lintian_status=$?
grep -v 'running with root privileges' <<< "$tags" || true
if [ "$lintian_status" != 0 ]; then
    echo "lintian reports errors or warnings for $deb"
    status=1
fi
packed_architecture=$(dpkg-deb -f "$deb" Architecture)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$deb: Architecture $packed_architecture, Depends $depends"
if [ "$packed_architecture" != "$architecture" ] || [[ "$depends" != *"libc6 (>="* ]] || [[ "$depends" == *-cross* ]] ||
    [[ "$depends" == *:* ]]; then
    echo "$deb is not an $architecture package with computed dependencies"
    status=1
fi
# The source package's amd64 package lists its root folder too.
files() { dpkg-deb -c "$1" | awk '$6 != "./" { print $1, $6 }' | sort; }
if [ "$(files "$deb")" != "$(files "$amd64_deb")" ]; then
    echo "the $architecture and amd64 packages hold different files:"
    diff <(files "$amd64_deb") <(files "$deb") || true
    status=1
fi
# The packed programs are this architecture's: they answer under its qemu.
emulator=$(sed -nE 's/^CMAKE_CROSSCOMPILING_EMULATOR:[A-Z]+=(.*)/\1/p' "$folder/CMakeCache.txt" | tr ';' ' ')
for program in varnel pindle; do
    dpkg-deb --fsys-tarfile "$deb" | tar -xOf - "./usr/bin/$program" > "$folder/packed-$program"
    chmod +x "$folder/packed-$program"
    # shellcheck disable=SC2086 # the emulator's words
    if [ "$($emulator "$folder/packed-$program" --version)" != "$program $(dpkg-deb -f "$deb" Version)" ]; then
        echo "$deb holds no $program that runs under $emulator"
        status=1
    fi
done
echo "$deb: $(stat -c %s "$deb") bytes, $(files "$deb" | wc -l) entries as in the amd64 package; section $((SECONDS - start))s"
exit "$status"
