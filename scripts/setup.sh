#!/usr/bin/env bash
# Makes a Debian 12 machine ready to cross-build and test the project.
# Cheap to run again: every step checks whether its work is already done.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
deps="${DEPS_DIR:-$root/.deps}"
mkdir -p "$deps"

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  mingw-w64-tools mingw-w64-i686-dev
  wine wine32:i386 libwine-dev
  xvfb xauth x11-apps imagemagick fonts-wqy-zenhei
  # A real proxy server in front of the loopback update host (scripts/run.sh).
  tinyproxy
  # The update host of scripts/run.sh, started and stopped by the command.
  nginx-light
  # Real installers of the upload control's stand-in (tests/fixtures/installer).
  nsis
  cmake ninja-build make python3 dpkg-dev file clang-format googletest
  # The native, sanitised build of the platform-free core and its fuzz targets.
  clang clang-14 libfuzzer-14-dev libclang-rt-14-dev
)

# Where a machine's kernel cannot run 32-bit x86 Linux programs itself (no
# IA32 emulation), Wine's 32-bit side runs under qemu's user-mode emulator.
# It must honour MAP_FIXED_NOREPLACE, or Wine's start-up takes a minute, so
# it comes from a newer Debian release than this one.
qemu_i386=/usr/local/libexec/zumi/qemu-i386
qemu_suite=trixie

ensure_apt_sources() {
  local changed=0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386; changed=1
  fi
  local src=/etc/apt/sources.list.d/debian-src.sources
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    as_root tee "$src" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    changed=1
  fi
  echo $changed
}

# A mirror caught mid-sync fails one index now and then: try again, and go on
# with the lists that did arrive rather than stop the whole set-up.
apt_update() {
  local try
  for try in 1 2 3; do
    as_root apt-get update -q && return 0
    echo "setup: apt-get update failed (try $try of 3)" >&2
    sleep $((try * 5))
  done
}

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  local changed; changed=$(ensure_apt_sources)
  if [ ${#missing[@]} -gt 0 ] || [ "$changed" = 1 ]; then
    apt_update
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
}

build_curl() {
  local prefix="$deps/curl"
  [ -f "$prefix/lib/libcurl.a" ] && return 0
  echo "setup: building libcurl for i686-w64-mingw32"
  local work="$deps/curl-src"
  rm -rf "$work"; mkdir -p "$work"
  (cd "$work" && apt-get source -q --download-only curl >/dev/null && dpkg-source -x --skip-patches curl_*.dsc src >/dev/null)
  (cd "$work/src" && ./configure -q --host=i686-w64-mingw32 --prefix="$prefix" \
      CC=i686-w64-mingw32-gcc-posix AR=i686-w64-mingw32-ar RANLIB=i686-w64-mingw32-ranlib \
      --disable-shared --enable-static --with-schannel --without-libpsl \
      --without-zlib --without-brotli --without-zstd --without-libidn2 --disable-ldap \
      --disable-ldaps --without-librtmp --without-libssh2 --without-nghttp2 --without-ngtcp2 \
      --without-nghttp3 --without-libgsasl --disable-manual --disable-docs \
      --disable-rtsp --disable-dict --disable-telnet --disable-tftp --disable-pop3 \
      --disable-imap --disable-smtp --disable-gopher --disable-mqtt --disable-smb \
      >/dev/null && make -s -j"$(nproc)" -C lib >/dev/null && make -s -C lib install >/dev/null \
      && make -s -C include install >/dev/null)
  rm -rf "$work"
}

# The page host's script engine (Duktape) and HTML parser (gumbo) come as
# upstream sources from Debian's source packages, unpacked into
# $deps/<folder>; tools/pagehost/third_party compiles them with the cross
# compiler. When this release's archive does not serve a package's files, the
# next release's sources are taken instead.
fetch_source() {  # package, folder
  local package=$1 dest="$deps/$2"
  [ -f "$dest/.unpacked" ] && return 0
  echo "setup: fetching the source of $package"
  local work; work=$(mktemp -d)
  if ! (cd "$work" && apt-get source -q --download-only --tar-only "$package" >/dev/null 2>&1); then
    rm -rf "$work"; work=$(mktemp -d)
    apt_get_from_suite "$work" "$qemu_suite" deb-src source --download-only --tar-only "$package" >/dev/null 2>&1
  fi
  local tarball; tarball=$(ls "$work"/*.orig.tar.* | head -1)
  rm -rf "$dest"; mkdir -p "$dest"
  tar -xf "$tarball" -C "$dest" --strip-components=1
  touch "$dest/.unpacked"
  rm -rf "$work"
}

i386_programs_run() { /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; }

# Runs apt-get with the lists of one other Debian suite only, kept in the
# scratch folder $1 (which is also the working folder): $2 suite, $3 "deb" or
# "deb-src", then apt-get's arguments.
apt_get_from_suite() {
  local work=$1 suite=$2 kind=$3; shift 3
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
  echo "$kind [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $suite main" >"$work/sources.list"
  local opts=(-o Dir::Etc::sourcelist="$work/sources.list" -o Dir::Etc::sourceparts=- \
              -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" -o APT::Architecture=amd64)
  apt-get "${opts[@]}" -q update >/dev/null
  (cd "$work" && apt-get "${opts[@]}" -q "$@")
}

fetch_qemu_i386() {
  [ -x "$qemu_i386" ] && return 0
  echo "setup: fetching qemu-i386 from Debian $qemu_suite"
  local work; work=$(mktemp -d)
  apt_get_from_suite "$work" "$qemu_suite" deb download "qemu-user/$qemu_suite" >/dev/null 2>&1
  dpkg -x "$work"/qemu-user_*.deb "$work/x"
  as_root install -D -m 755 "$work/x/usr/bin/qemu-i386" "$qemu_i386"
  rm -rf "$work"
}

ensure_i386_programs_run() {
  i386_programs_run && return 0
  fetch_qemu_i386
  local misc=/proc/sys/fs/binfmt_misc
  mountpoint -q "$misc" || as_root mount -t binfmt_misc binfmt_misc "$misc"
  [ -e "$misc/zumi-i386" ] && echo -1 | as_root tee "$misc/zumi-i386" >/dev/null
  # ELF, 32-bit, little-endian, executable or shared object, machine i386.
  printf '%s' ':zumi-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu_i386"':F' \
    | as_root tee "$misc/register" >/dev/null
  i386_programs_run || { echo "setup: 32-bit programs still do not run" >&2; return 1; }
  echo "setup: 32-bit programs run through $qemu_i386"
}

main() {
  install_packages
  ensure_i386_programs_run
  build_curl
  fetch_source duktape duktape
  fetch_source gumbo-parser gumbo
  echo "setup: ready (deps in $deps)"
}
main "$@"
