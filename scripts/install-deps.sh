#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the window need,
# and any further packages named as arguments (CI's own tools).
# Does nothing (not even apt-get update) when all of them are present.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libjpeg62-turbo-dev libtiff-dev zlib1g-dev libexif-dev
  libraw-dev liblcms2-dev
  libopencv-core-dev libopencv-imgproc-dev libopencv-features2d-dev
  libopencv-calib3d-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-translations-l10n
  xvfb xauth
  libjpeg-turbo-progs libtiff-tools libraw-bin
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "install-deps: missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}" >&2
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
