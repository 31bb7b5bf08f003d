#!/usr/bin/env bash
# Builds the Debian package of Velmora and prints its path; everything else
# it says goes to stderr, so `deb=$(bash scripts/package.sh)` works.
set -euo pipefail
cd "$(dirname "$0")/.."
# dpkg-shlibdeps (dpkg-dev), helped by file, works out the package's
# runtime dependencies from the programs.
bash scripts/install-deps.sh dpkg-dev file >&2
cmake --preset package >&2
cmake --build --preset package >&2
log=$(cpack --preset package)
printf '%s\n' "$log" >&2
deb=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' <<<"$log")
[[ -f "$deb" ]] || { echo "package: cpack named no package" >&2; exit 1; }
echo "$deb"
