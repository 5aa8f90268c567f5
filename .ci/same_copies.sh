#!/usr/bin/env bash
# The two programs share no code, so their descriptor layers are two copies
# of the same files: they may differ in their namespace lines alone.
#
#   same_copies.sh [ROOT]          checks ROOT/varnel against ROOT/pindle
#                                  (default: this checkout)
#   same_copies.sh --self-test     shows that the check fails on a difference
#                                  planted in any one file, and passes on the
#                                  copies as they are
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
layer=(byte_streams.hpp memory_streams.hpp descriptors.hpp descriptors_posix.hpp descriptors_windows.hpp descriptors_browser.hpp
    descriptors_posix.cpp descriptors_windows.cpp descriptors_browser.cpp
    standard_streams.hpp standard_streams.cpp)

outside_namespace() { sed -E '/^(\}  \/\/ )?namespace (varnel|pindle)( \{)?$/d' "$1"; }

check() {  # root
    local differ=0
    for file in "${layer[@]}"; do
        for program in varnel pindle; do
            [ -f "$1/$program/$file" ] || { echo "$program/$file is missing"; differ=1; }
        done
        [ "$differ" = 0 ] || continue
        if ! diff <(outside_namespace "$1/varnel/$file") <(outside_namespace "$1/pindle/$file") > /dev/null; then
            echo "varnel/$file and pindle/$file differ in more than their namespace lines"
            differ=1
        fi
    done
    return "$differ"
}

if [ "${1:-}" != --self-test ]; then
    check "${1:-$here}"
    echo "varnel/ and pindle/: the descriptor layer's ${#layer[@]} files the same but for their namespace lines"
    exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for file in "${layer[@]}"; do
    for program in varnel pindle; do
        rm -rf "$work/varnel" "$work/pindle"
        cp -r "$here/varnel" "$here/pindle" "$work/"
        printf '// a line in one copy alone\n' >> "$work/$program/$file"
        if check "$work" > /dev/null; then
            echo "a line added to $program/$file went unnoticed"
            exit 1
        fi
    done
done
rm -rf "$work/varnel" "$work/pindle"
cp -r "$here/varnel" "$here/pindle" "$work/"
check "$work"
echo "the copy check fails on a line added to any of the ${#layer[@]} files in either program, and passes without one"
