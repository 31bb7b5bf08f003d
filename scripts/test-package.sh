#!/usr/bin/env bash
# The Debian package tested as it will be used: built, installed with apt
# into a bare Debian 12 chroot, used there by an ordinary user, removed
# (scripts/test-package-inside.sh does the part in the chroot). Run as root
# with debootstrap installed; works inside a chroot as well, as in CI.
set -euo pipefail
cd "$(dirname "$0")/.."
[[ $(id -u) -eq 0 ]] || { echo "test-package: run as root (debootstrap, chroot, mounts)" >&2; exit 2; }
command -v debootstrap >/dev/null ||
  { echo "test-package: debootstrap is missing (apt-get install debootstrap)" >&2; exit 2; }

deb=$(bash scripts/package.sh)
echo "test-package: $deb, $(stat -c %s "$deb") bytes"
echo "test-package: Depends: $(dpkg-deb -f "$deb" Depends)"

work=$(mktemp -d "$PWD/build/package-test.XXXXXX")
root=$work/root
cleanup() {
  # Whatever still runs in the chroot was started by this script.
  local proc
  for proc in /proc/[0-9]*; do
    if [[ "$(readlink "$proc/root" 2>/dev/null)" == "$root" ]]; then
      kill -KILL "${proc#/proc/}" 2>/dev/null || true
    fi
  done
  local mount
  for mount in "$root/dev" "$root/proc"; do
    if mountpoint -q "$mount"; then
      umount "$mount" || umount -l "$mount" || true
    fi
  done
  # Never removes anything through a mount that is still there.
  if grep -q " $root/" /proc/mounts; then
    echo "test-package: $work is still mounted, left in place" >&2
  else
    rm -rf --one-file-system "$work"
  fi
}
trap cleanup EXIT
trap 'echo "test-package: failed at line $LINENO" >&2' ERR

# The mirror this machine uses (a chroot made by debootstrap names it in
# sources.list), else Debian's own.
mirror=$(grep -hs -E '^URIs:' /etc/apt/sources.list.d/*.sources | awk '{print $2; exit}' || true)
if [[ -z "$mirror" ]]; then
  mirror=$(grep -hs -E '^deb ' /etc/apt/sources.list |
    sed -nE '1s/^deb +(\[[^]]*\] +)?([^ ]+).*/\2/p' || true)
fi
mirror=${mirror:-http://deb.debian.org/debian}
echo "test-package: debootstrap --variant=minbase bookworm from $mirror"
if ! debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1; then
  tail -n 20 "$work/debootstrap.log" >&2
  exit 1
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
# Whatever apt here needs to reach the mirror (a proxy).
for conf in /etc/apt/apt.conf.d/*proxy* /etc/apt/apt.conf.d/*Proxy*; do
  if [[ -f "$conf" ]]; then
    cp "$conf" "$root/etc/apt/apt.conf.d/"
  fi
done

mkdir -p "$root/tmp/velmora-test/examples"
cp "$deb" scripts/test-package-inside.sh "$root/tmp/velmora-test/"
cp examples/*.jpg "$root/tmp/velmora-test/examples/"
chmod -R a+rX "$root/tmp/velmora-test"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"

chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  bash /tmp/velmora-test/test-package-inside.sh as-root "/tmp/velmora-test/$(basename "$deb")" \
  </dev/null
echo "test-package: passed"
