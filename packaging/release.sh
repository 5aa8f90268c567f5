#!/usr/bin/env bash
# Makes every release file of the checked-out commit in DIR, and nothing
# else there: the source tarball, a Debian package for each of Debian's
# architectures (amd64's made by the source package), an RPM for x86_64,
# the Windows archive, the programs linked statically for x86_64, aarch64
# and armhf Linux in a tarball each, the web site in a zip archive, and SHA256SUMS
# over them all. Installs what it needs from Debian's packages and the npm
# registry, as .ci/ does.
#
#   bash packaging/release.sh DIR
#
# Everything is built from the commit's own files, exported with git
# archive: edits not committed never reach a release file. Every time stamp
# is the commit's (a SOURCE_DATE_EPOCH in the environment wins), and
# everything is built and packed afresh under umask 022 and in UTC, so two
# clones of one commit give the same files whoever makes them. The builds go to
# build-release/ in the source tree.
set -euo pipefail
[ $# = 1 ] || { echo "usage: bash packaging/release.sh DIR" >&2; exit 2; }
# A line on standard error as each step starts, with the time so far.
step() { printf 'release.sh: %s (%ss so far)\n' "$1" "$SECONDS" >&2; }
umask 022
# Zip archives keep local times: every one is packed in UTC, wherever the
# caller's clock is set.
export TZ=UTC
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
cd "$root"

commit=$(git rev-parse --verify HEAD)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct "$commit")}
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "release.sh: the working tree has uncommitted changes; the release is made of commit $commit alone" >&2
fi
version=$(git show "$commit:CMakeLists.txt" | sed -nE 's/^project\(varnel_pindle VERSION ([0-9.]+) .*/\1/p')
# Entries written as changes land wait under "## Unreleased" in NEWS.md; a
# release first gives them its version and date.
if git show "$commit:NEWS.md" | grep -qx '## Unreleased'; then
    echo "release.sh: NEWS.md still has an Unreleased heading: give its entries version $version and a date first" >&2
    exit 1
fi
step "installing the tools"
# Debian's architectures besides this one's, each built with Debian's cross
# compiler for it; the first three also get programs linked statically.
cross_architectures=(arm64 armhf armel i386 mips64el mipsel ppc64el s390x riscv64)
cross_compilers=()
for architecture in "${cross_architectures[@]}"; do
    cross_compilers+=("g++-$(dpkg-architecture -a "$architecture" -qDEB_HOST_GNU_TYPE 2> /dev/null)")
done
bash .ci/install-tools.sh cmake g++ git gzip tar dpkg-dev debhelper rpm libgtest-dev python3 \
    g++-mingw-w64-x86-64-posix "${cross_compilers[@]}"

work=$root/build-release
rm -rf "$work"
mkdir -p "$work"

# The source tarball is the commit's files in one folder; the builds below
# are made from it.
source_name=varnel-pindle-$version
git archive --format=tar --prefix="$source_name/" "$commit" | gzip -9n > "$work/$source_name.tar.gz"
tar -xzf "$work/$source_name.tar.gz" -C "$work"
source=$work/$source_name
cd "$source"

build() {  # folder, configure arguments...
    local folder=$work/$1
    step "building $1"
    shift
    cmake -S . -B "$folder" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release "$@" > "$folder.log"
    cmake --build "$folder" -j2 >> "$folder.log"
}
cross() {  # the configure arguments of a cross build for a Debian architecture
    echo "-DCMAKE_TOOLCHAIN_FILE=cmake/cross-linux-gnu.cmake"
    echo "-DCROSS_TRIPLET=$(dpkg-architecture -a "$1" -qDEB_HOST_GNU_TYPE 2> /dev/null)"
}
windows=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)

# This machine's Debian package is the source package's, built by
# dpkg-buildpackage with its suite run, in a copy of the source of its own.
step "building the Debian package of the source package"
mkdir -p "$work/debian-package"
cp -r "$source" "$work/debian-package/"
(cd "$work/debian-package/$source_name" && dpkg-buildpackage -us -uc > "$work/debian-package.log" 2>&1) ||
    { tail -n 40 "$work/debian-package.log"; exit 1; }
build rpm-x86_64
for architecture in "${cross_architectures[@]}"; do
    mapfile -t options < <(cross "$architecture")
    build "deb-$architecture" "${options[@]}"
done
build windows-cp949 "${windows[@]}" -DCONSOLE_ENCODING=CP949
# The static programs carry the C and C++ runtimes: their notices go with them.
step "collecting the libraries' notices"
bash packaging/notices.sh "$work/notices-windows" x86_64-w64-mingw32-g++-posix "MinGW-w64 runtime=libmingw32.a" \
    winpthreads=libwinpthread.a libstdc++=libstdc++.a libgcc=libgcc.a
bash packaging/notices.sh "$work/notices-x86_64" g++ glibc=libc.a libstdc++=libstdc++.a libgcc=libgcc.a
bash packaging/notices.sh "$work/notices-aarch64" aarch64-linux-gnu-g++ glibc=libc.a libstdc++=libstdc++.a libgcc=libgcc.a
bash packaging/notices.sh "$work/notices-armhf" arm-linux-gnueabihf-g++ glibc=libc.a libstdc++=libstdc++.a libgcc=libgcc.a
build windows-utf-8 "${windows[@]}" -DWINDOWS_ARCHIVE_ALSO="$work/windows-cp949" \
    -DTHIRD_PARTY_NOTICES="$work/notices-windows"
build static-x86_64 -DSTATIC=ON
mapfile -t options < <(cross arm64)
build static-aarch64 "${options[@]}" -DSTATIC=ON
mapfile -t options < <(cross armhf)
build static-armhf "${options[@]}" -DSTATIC=ON

step "packing the Debian packages, the RPM and the Windows archive"
rm -f "$out"/varnel-pindle[-_]* "$out/SHA256SUMS"
cp "$work/$source_name.tar.gz" "$out/"
cp "$work/debian-package/varnel-pindle_${version}_amd64.deb" "$out/"
for architecture in "${cross_architectures[@]}"; do
    (cd "$work/deb-$architecture" && cpack -G DEB > /dev/null 2>&1)
    cp "$work/deb-$architecture/varnel-pindle_${version}_$architecture.deb" "$out/"
done
(cd "$work/rpm-x86_64" && cpack -G RPM > /dev/null 2>&1)
cp "$work/rpm-x86_64/varnel-pindle-$version-1.x86_64.rpm" "$out/"
(cd "$work/windows-utf-8" && cpack -G ZIP > /dev/null)
cp "$work/windows-utf-8/varnel-pindle-$version-win64.zip" "$out/"

# One folder a tarball: the stripped programs, their manual pages in English
# and Korean, a README for whoever unpacks it, the licence and the notices
# of the libraries linked in.
step "packing the static programs' tarballs"
for architecture in x86_64 aarch64 armhf; do
    build_folder=$work/static-$architecture
    name=varnel-pindle-$version-$architecture-linux
    folder=$work/tarballs/$name
    mkdir -p "$folder/ko"
    strip=$(sed -nE 's/^CMAKE_STRIP:FILEPATH=(.*)/\1/p' "$build_folder/CMakeCache.txt")
    for program in varnel pindle; do
        "$strip" -o "$folder/$program" "$build_folder/bin/$program"
        cp "$build_folder/man/$program.1" "$folder/$program.1"
        cp "$build_folder/man/ko/$program.1" "$folder/ko/$program.1"
    done
    sed -e "s/@PROJECT_VERSION@/$version/" -e "s/@ARCHITECTURE@/$architecture/" packaging/linux-readme.txt \
        > "$folder/README.txt"
    cp LICENSE "$folder/"
    cp -r "$work/notices-$architecture/." "$folder/"
    tar --sort=name --format=gnu --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
        --mode=u=rwX,go=rX -C "$work/tarballs" -cf - "$name" | gzip -9n > "$out/$name.tar.gz"
done

# The web site in one folder: the page, both programs, xterm.js, a README,
# the licence and the notices of xterm.js, of the font and of Emscripten's
# libraries built into the programs. Zipped with the commit's time and in name order.
step "building the web site"
bash web/build.sh "$work/web" > "$work/web.log"
name=varnel-pindle-$version-web
folder=$work/web-archive/$name
mkdir -p "$folder"
cp -r "$work/web/site/." "$folder/"
cp LICENSE "$folder/"
bash packaging/notices.sh "$folder" em++ \
    "Emscripten's C and C++ libraries (musl, libc++, libc++abi, compiler-rt)=/usr/share/emscripten/system/lib/libc/musl/COPYRIGHT"
cp web/node_modules/@xterm/xterm/LICENSE "$folder/licenses/xterm.js-LICENSE"
cp web/node_modules/@xterm/addon-fit/LICENSE "$folder/licenses/addon-fit-LICENSE"
printf '%s\n  from npm, @xterm/xterm %s and @xterm/addon-fit %s (MIT)\n  licence: licenses/xterm.js-LICENSE, licenses/addon-fit-LICENSE\n' \
    xterm.js "$(sed -nE 's/^  "version": "(.*)",$/\1/p' web/node_modules/@xterm/xterm/package.json)" \
    "$(sed -nE 's/^  "version": "(.*)",$/\1/p' web/node_modules/@xterm/addon-fit/package.json)" \
    >> "$folder/THIRD-PARTY-NOTICES.txt"
printf '\n%s\n  from npm, @fontsource/nanum-gothic-coding %s (SIL Open Font License 1.1)\n  licence: fonts/OFL.txt\n' \
    "Nanum Gothic Coding, the page's font" \
    "$(sed -nE 's/^  "version": "(.*)",$/\1/p' web/node_modules/@fontsource/nanum-gothic-coding/package.json)" \
    >> "$folder/THIRD-PARTY-NOTICES.txt"
step "packing the web archive"
python3 packaging/zip_folder.py "$work/web-archive" "$name" "$out/$name.zip"

(cd "$out" && sha256sum -- varnel-pindle_*.deb varnel-pindle-*.rpm varnel-pindle-*.zip varnel-pindle-*.tar.gz > SHA256SUMS)
step "done"
echo "release $version in $out:"
cat "$out/SHA256SUMS"
