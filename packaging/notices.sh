#!/usr/bin/env bash
# Writes into FOLDER the notices of the libraries that a build carries
# compiled in: THIRD-PARTY-NOTICES.txt names each library, the Debian package its
# archive came from, that package's version and its source package, and
# licenses/ holds each package's copyright file with the full texts of the
# licences those files only point to (the reader may have no Debian system).
#
#   notices.sh FOLDER COMPILER NAME=ARCHIVE...
#
# ARCHIVE is a file name such as libc.a, found where COMPILER links it from,
# or the absolute path of a file of the library's package.
set -euo pipefail
[ $# -ge 3 ] || { echo "usage: notices.sh FOLDER COMPILER NAME=ARCHIVE..." >&2; exit 2; }
folder=$1
compiler=$2
shift 2
mkdir -p "$folder/licenses"
notice=$folder/THIRD-PARTY-NOTICES.txt
cat > "$notice" <<'EOF'
Libraries built into these programs / 이 프로그램에 들어 있는 라이브러리

The programs are MIT-licensed (LICENSE). Built into them is code of the
libraries below, each under its own licence, in licenses/. A library taken
from a Debian package has that package's copyright file there, as
licenses/PACKAGE.copyright, with the licence texts it refers to; its source
is Debian's source package of the version named, from the Debian archive or
snapshot.debian.org. A library taken from npm has its own licence file
there, as named; its source is the npm package of the version named.

프로그램 자체는 MIT 라이선스(LICENSE)입니다. 아래 라이브러리의 코드가
프로그램에 함께 들어 있으며, 각각의 라이선스는 licenses/ 폴더에 있습니다.

EOF
licence_texts=()
for pair in "$@"; do
    name=${pair%%=*}
    case ${pair#*=} in
        /*) archive=${pair#*=} ;;
        *) archive=$("$compiler" -print-file-name="${pair#*=}") ;;
    esac
    [ -f "$archive" ] || { echo "$compiler links no ${pair#*=}" >&2; exit 1; }
    package=$(dpkg -S "$(readlink -f "$archive")" | sed -n '1s/:.*//p')
    version=$(dpkg-query -W -f='${Version}' "$package")
    source=$(dpkg-query -W -f='${source:Package} ${source:Version}' "$package")
    copyright=/usr/share/doc/$package/copyright
    [ -f "$copyright" ] || { echo "no $copyright" >&2; exit 1; }
    cp "$copyright" "$folder/licenses/$package.copyright"
    printf '%s\n  from Debian package %s %s (source package %s)\n  licence: licenses/%s.copyright\n\n' \
        "$name" "$package" "$version" "$source" "$package" >> "$notice"
    mapfile -t -O "${#licence_texts[@]}" licence_texts < <(grep -oE '/usr/share/common-licenses/[A-Za-z0-9.+-]*[A-Za-z0-9]' "$copyright")
done
for text in $(printf '%s\n' "${licence_texts[@]}" | LC_ALL=C sort -u); do
    # A licence text that a copyright file names must be there to copy.
    [ -e "$text" ] || { echo "a copyright file names $text, which is missing" >&2; exit 1; }
    # GPL and LGPL name the newest version: kept under that version's name.
    cp "$(readlink -f "$text")" "$folder/licenses/"
done
