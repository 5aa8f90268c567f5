#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are missing.
# A fresh machine of this project's kind has most of them already.
set -euo pipefail
missing=()
for package in "$@"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get -o DPkg::Lock::Timeout=120 update -qq
    apt-get -o DPkg::Lock::Timeout=120 install -y -qq --no-install-recommends "${missing[@]}"
fi
