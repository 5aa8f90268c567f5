#!/usr/bin/env bash
# Cross-builds both programs for 64-bit ARM, runs the suite under
# qemu-aarch64, makes the arm64 Debian package and checks it against an
# amd64 one: AMD64_DEB where given, else one it makes itself.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

# The arm64 C and C++ libraries (for the package's computed dependencies)
# and GoogleTest come from Debian's arm64 packages, through multiarch.
if ! dpkg --print-foreign-architectures | grep -x arm64 > /dev/null; then
    dpkg --add-architecture arm64
fi
bash .ci/install-tools.sh g++-aarch64-linux-gnu qemu-user libc6:arm64 libstdc++6:arm64 libgcc-s1:arm64 libgtest-dev:arm64

cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build-arm64 -j2
ctest --test-dir build-arm64 -j2 --output-on-failure
echo "arm64 build and tests under qemu: $((SECONDS - start))s"

rm -f build-arm64/*.deb
(cd build-arm64 && cpack -G DEB > /dev/null)
deb=$(ls build-arm64/varnel-pindle_*_arm64.deb)
amd64_deb=${AMD64_DEB:-}
if [ -z "$amd64_deb" ]; then
    cmake -S . -B build-arm64/amd64-package -DBUILD_TESTING=OFF > /dev/null
    cmake --build build-arm64/amd64-package -j2 > /dev/null
    rm -f build-arm64/amd64-package/*.deb
    (cd build-arm64/amd64-package && cpack -G DEB > /dev/null)
    amd64_deb=$(ls build-arm64/amd64-package/varnel-pindle_*_amd64.deb)
fi
status=0
lintian_status=0
tags=$(lintian --fail-on error,warning --display-info "$deb" 2>&1) || lintian_status=$?
grep -v 'running with root privileges' <<< "$tags" || true
if [ "$lintian_status" != 0 ]; then
    echo "lintian reports errors or warnings for $deb"
    status=1
fi
architecture=$(dpkg-deb -f "$deb" Architecture)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$deb: Architecture $architecture, Depends $depends"
if [ "$architecture" != arm64 ] || [[ "$depends" != *"libc6 (>="* ]]; then
    echo "$deb is not an arm64 package with computed dependencies"
    status=1
fi
files() { dpkg-deb -c "$1" | awk '{ print $1, $6 }' | sort; }
if [ "$(files "$deb")" != "$(files "$amd64_deb")" ]; then
    echo "the arm64 and amd64 packages hold different files:"
    diff <(files "$amd64_deb") <(files "$deb") || true
    status=1
fi
for program in varnel pindle; do
    dpkg-deb --fsys-tarfile "$deb" | tar -xOf - "./usr/bin/$program" > "build-arm64/packed-$program"
    if ! file "build-arm64/packed-$program" | grep 'ARM aarch64' > /dev/null; then
        echo "$deb holds no aarch64 $program"
        status=1
    fi
done
echo "$deb: $(stat -c %s "$deb") bytes, $(files "$deb" | wc -l) entries as in the amd64 package; section $((SECONDS - start))s"
exit "$status"
