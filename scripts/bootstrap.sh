#!/usr/bin/env bash
# Installs, only when missing, every Debian package the builds, the demo and
# the tests need. Safe to run again: with everything present it does nothing.
#   scripts/bootstrap.sh        the packages of every build, the demo and the x86-64 lane
#   scripts/bootstrap.sh i686   also the i686 lane: 32-bit Wine under CPU emulation
#                               (machine-wide: the i386 architecture, wine32, qemu-user
#                               from backports, an i386 entry in binfmt_misc); exits 3,
#                               saying why, where the lane cannot run
set -euo pipefail
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev googletest python3
  wine wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64
  xvfb x11-apps x11-utils netpbm fonts-wine locales
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "bootstrap: installing ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
[[ "${1:-}" == i686 ]] || exit 0

# The i686 lane. This kernel cannot run 32-bit code: the 32-bit Wine loader
# runs under qemu-i386, which the kernel starts through binfmt_misc. Only
# qemu-user 10 from backports will do (7.2 mistakes a fixed mapping for a
# hint, and each Wine process then spends a CPU-minute on its address space).
lane_unavailable() { echo "bootstrap: the i686 lane cannot run here: $*" >&2; exit 3; }
[[ $(id -u) -eq 0 ]] || sudo -n true 2>/dev/null || lane_unavailable "it needs root (machine-wide packages and binfmt_misc)"
binfmt=/proc/sys/fs/binfmt_misc
if [[ ! -e $binfmt/register ]]; then
  "${sudo[@]}" mount -t binfmt_misc binfmt_misc $binfmt 2>/dev/null ||
    lane_unavailable "binfmt_misc is not available and cannot be mounted"
fi

. /etc/os-release
backports=${VERSION_CODENAME}-backports
qemu=/usr/bin/qemu-i386
installed() { [[ $(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) == "install ok installed" ]]; }
qemu_ok() { installed qemu-user && dpkg --compare-versions "$(dpkg-query -W -f='${Version}' qemu-user)" ge 1:10; }
if ! installed wine32:i386 || ! qemu_ok; then
  # Backports from the archive the machine already uses, and from it only
  # qemu-user: nothing else may come from there, now or at an upgrade.
  list=/etc/apt/sources.list.d/salvora-backports.sources
  if [[ ! -f $list ]]; then
    stanza=$(awk -v suite="$VERSION_CODENAME" '
      BEGIN { RS = ""; FS = "\n" }
      { uris = ""; key = ""; hit = 0
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^URIs:/) uris = $i
          if ($i ~ /^Signed-By:/) key = $i
          if ($i ~ /^Suites:/ && (" " $i " ") ~ (" " suite " ")) hit = 1
        }
        if (hit && uris != "") { print uris; if (key != "") print key; exit } }' \
      /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
    if [[ -z $stanza ]]; then
      uri=$(awk -v suite="$VERSION_CODENAME" '$1 == "deb" && $3 == suite { print $2; exit }' \
        /etc/apt/sources.list 2>/dev/null || true)
      [[ -n $uri ]] && stanza="URIs: $uri"
    fi
    [[ -n $stanza ]] || lane_unavailable "no Debian archive for $VERSION_CODENAME in apt's sources"
    printf 'Types: deb\n%s\nSuites: %s\nComponents: main\n' "$stanza" "$backports" |
      "${sudo[@]}" tee $list >/dev/null
  fi
  printf 'Package: *\nPin: release n=%s\nPin-Priority: -1\n\nPackage: qemu-user\nPin: release n=%s\nPin-Priority: 990\n' \
    "$backports" "$backports" | "${sudo[@]}" tee /etc/apt/preferences.d/salvora-backports >/dev/null
  dpkg --print-foreign-architectures | grep -qx i386 || "${sudo[@]}" dpkg --add-architecture i386
  echo "bootstrap: installing wine32:i386 and qemu-user from $backports"
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends wine32:i386 qemu-user >/dev/null
  qemu_ok || lane_unavailable "qemu-user 10 did not install from $backports"
fi

# The entry names our qemu-i386 and opens it at once (flag F), so that it
# serves every process from now on. An entry of that name that names
# anything else or is disabled is replaced, and so is ours where another
# entry for i386 programs is enabled too: the newest entry wins.
entry=$binfmt/salvora-i386
i386_magic=7f454c4601010100000000000000000002000300
shadowed() {
  local e
  for e in "$binfmt"/*; do
    [[ $e == "$entry" || $e == */register || $e == */status ]] && continue
    grep -qx enabled "$e" 2>/dev/null && grep -qx "magic $i386_magic" "$e" 2>/dev/null && return 0
  done
  return 1
}
if [[ -e $entry ]] && ! { grep -qx enabled $entry && grep -qx "interpreter $qemu" $entry && ! shadowed; }; then
  echo -1 | "${sudo[@]}" tee $entry >/dev/null
fi
if [[ ! -e $entry ]]; then
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":salvora-i386:M::$magic:$mask:$qemu:F" | "${sudo[@]}" tee $binfmt/register >/dev/null ||
    lane_unavailable "binfmt_misc refused the i386 entry"
fi
/usr/lib/wine/wine --version >/dev/null 2>&1 || lane_unavailable "the 32-bit Wine loader does not start under $qemu"
