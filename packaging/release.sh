#!/usr/bin/env bash
# Makes every release file of the checked-out commit in DIR, and nothing
# else there: the source tarball, the Debian packages for amd64 and arm64,
# the Windows archive, the programs linked statically for x86_64 and aarch64
# Linux in a tarball each, the web site in a zip archive, and SHA256SUMS
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
if ! dpkg --print-foreign-architectures | grep -x arm64 > /dev/null; then
    dpkg --add-architecture arm64
fi
bash .ci/install-tools.sh cmake g++ git gzip tar dpkg-dev g++-aarch64-linux-gnu g++-mingw-w64-x86-64-posix \
    libc6:arm64 libstdc++6:arm64 libgcc-s1:arm64

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
arm64=(-DCMAKE_TOOLCHAIN_FILE=cmake/cross-linux-gnu.cmake -DCROSS_TRIPLET=aarch64-linux-gnu)
windows=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)

build deb-amd64
build deb-arm64 "${arm64[@]}"
build windows-cp949 "${windows[@]}" -DCONSOLE_ENCODING=CP949
# The static programs carry the C and C++ runtimes: their notices go with them.
step "collecting the libraries' notices"
bash packaging/notices.sh "$work/notices-windows" x86_64-w64-mingw32-g++-posix "MinGW-w64 runtime=libmingw32.a" \
    winpthreads=libwinpthread.a libstdc++=libstdc++.a libgcc=libgcc.a
bash packaging/notices.sh "$work/notices-x86_64" g++ glibc=libc.a libstdc++=libstdc++.a libgcc=libgcc.a
bash packaging/notices.sh "$work/notices-aarch64" aarch64-linux-gnu-g++ glibc=libc.a libstdc++=libstdc++.a libgcc=libgcc.a
build windows-utf-8 "${windows[@]}" -DWINDOWS_ARCHIVE_ALSO="$work/windows-cp949" \
    -DTHIRD_PARTY_NOTICES="$work/notices-windows"
build static-x86_64 -DSTATIC=ON
build static-aarch64 "${arm64[@]}" -DSTATIC=ON

step "packing the Debian packages and the Windows archive"
rm -f "$out"/varnel-pindle[-_]* "$out/SHA256SUMS"
cp "$work/$source_name.tar.gz" "$out/"
for folder in deb-amd64 deb-arm64; do
    (cd "$work/$folder" && cpack -G DEB > /dev/null)
    cp "$work/$folder"/varnel-pindle_*.deb "$out/"
done
(cd "$work/windows-utf-8" && cpack -G ZIP > /dev/null)
cp "$work/windows-utf-8/varnel-pindle-$version-win64.zip" "$out/"

# One folder a tarball: the stripped programs, their manual pages in English
# and Korean, a README for whoever unpacks it, the licence and the notices
# of the libraries linked in.
step "packing the static programs' tarballs"
for architecture in x86_64 aarch64; do
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

(cd "$out" && sha256sum -- varnel-pindle_*.deb varnel-pindle-*.zip varnel-pindle-*.tar.gz > SHA256SUMS)
step "done"
echo "release $version in $out:"
cat "$out/SHA256SUMS"
