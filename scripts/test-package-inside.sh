#!/usr/bin/env bash
# The package's test inside a bare Debian 12 chroot (started by
# scripts/test-package.sh):
#   as-root DEB   installs DEB with apt, runs the user's part, removes it
#   as-user       what an ordinary user does with the installed programs
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
app_id=org.velmora.Velmora
user=velmora-tester
# The user's background processes, ended on every way out.
xvfb=
app=

step() { echo "== $*"; }
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

as_root() {
  local deb=$1
  export DEBIAN_FRONTEND=noninteractive
  step "apt install $(basename "$deb")"
  apt-get update -q
  dpkg-query -W -f='${Package}\n' | sort >/tmp/packages-before
  apt install -y -q "$deb"
  dpkg-query -W -f='${Package}\n' | sort >/tmp/packages-after
  local added
  added=$(comm -13 /tmp/packages-before /tmp/packages-after)
  echo "apt added $(wc -l <<<"$added") packages"
  if grep -E -- '-dev$' <<<"$added"; then
    fail "the package pulled in development packages"
  fi

  step "files installed"
  local file
  for file in /usr/bin/velmora /usr/bin/velmora-stack \
    /usr/share/applications/$app_id.desktop /usr/share/metainfo/$app_id.metainfo.xml \
    /usr/share/man/man1/velmora.1.gz /usr/share/man/man1/velmora-stack.1.gz; do
    [[ -f "$file" ]] || fail "$file is missing"
  done
  gzip -t /usr/share/man/man1/velmora.1.gz /usr/share/man/man1/velmora-stack.1.gz
  local size
  for size in 16 22 24 32 48 64 128 256; do
    file=/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    [[ -f "$file" ]] || fail "$file is missing"
  done

  # The test's own tools, after the package, so that the count above is the
  # package's alone.
  step "test tools"
  apt-get install -y -q --no-install-recommends xvfb xauth xdotool x11-utils \
    desktop-file-utils appstream >/dev/null

  step "desktop entry and metainfo"
  desktop-file-validate /usr/share/applications/$app_id.desktop
  appstreamcli validate --no-net /usr/share/metainfo/$app_id.metainfo.xml

  useradd -m -s /bin/bash "$user"
  runuser -u "$user" -- env -i HOME="/home/$user" LANG=C.UTF-8 PATH=/usr/bin:/bin \
    bash "$here/test-package-inside.sh" as-user

  step "apt remove velmora"
  apt remove -y -q velmora
  if dpkg-query -W -f='${Status}' velmora 2>/dev/null | grep -q 'install ok installed'; then
    fail "velmora is still installed"
  fi
  for file in /usr/bin/velmora /usr/bin/velmora-stack /usr/share/applications/$app_id.desktop; do
    [[ ! -e "$file" ]] || fail "$file is left behind"
  done
  # Nothing was written beside the installed programs.
  [[ ! -e /usr/bin/VadevEzuzeva.ini ]] || fail "settings were written to /usr/bin"
}

as_user() {
  cd ~
  step "velmora-stack --version as $(id -un)"
  local version
  version=$(dpkg-query -W -f='${Version}' velmora)
  [[ "$(command -v velmora-stack)" == /usr/bin/velmora-stack ]] || fail "velmora-stack is not on PATH"
  [[ "$(velmora-stack --version)" == "velmora-stack $version" ]] ||
    fail "velmora-stack --version says '$(velmora-stack --version)', not 'velmora-stack $version'"

  step "velmora-stack stacks the sample exposures"
  local written
  written=$(velmora-stack -o stacked.tif "$here"/examples/*.jpg)
  [[ "$written" == "$HOME/stacked.tif" ]] || fail "velmora-stack wrote '$written'"
  [[ "$(head -c 4 stacked.tif | od -An -tx1 | tr -d ' ')" == 49492a00 ]] ||
    fail "stacked.tif is not a little-endian TIFF"
  echo "stacked.tif: $(stat -c %s stacked.tif) bytes"

  step "the window, started from the desktop entry's Exec line"
  local exec_line
  exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/$app_id.desktop | head -n 1)
  # Field codes (%f, %U, ...) stand for files, of which there are none.
  exec_line=$(sed -E 's/ *%[fFuUdDnNickvm]//g' <<<"$exec_line")
  [[ -n "$exec_line" ]] || fail "the desktop entry has no Exec line"

  # Xvfb picks a free display itself: a chroot shares the machine's
  # abstract X sockets, and the numbers taken there are not visible here.
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>display 2>xvfb.log &
  xvfb=$!
  trap 'kill $app $xvfb 2>/dev/null || true' EXIT
  local _
  for _ in $(seq 100); do
    [[ -s display ]] && break
    sleep 0.1
  done
  [[ -s display ]] || fail "Xvfb did not start: $(cat xvfb.log)"
  export DISPLAY=:$(head -n 1 display)

  sh -c "exec $exec_line" >velmora.log 2>&1 &
  app=$!
  local window
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Velmora' | head -n 1) ||
    fail "no Velmora window came up: $(cat velmora.log)"
  xwininfo -id "$window" | tee window.txt | grep -q 'Map State: IsViewable' ||
    fail "the window is not viewable"
  grep -E 'Width|Height|Map State' window.txt
  kill -0 "$app" || fail "velmora ended: $(cat velmora.log)"
  # The program's folder cannot be written: its settings live with the user.
  [[ -d ~/.config/velmora ]] || fail "no ~/.config/velmora for the settings"
  kill "$app"
  wait "$app" || true
  app=
}

case ${1:-} in
as-root) as_root "$2" ;;
as-user) as_user ;;
*)
  echo "usage: $0 as-root DEB | as-user" >&2
  exit 2
  ;;
esac
