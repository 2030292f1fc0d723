#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine lacks to build and test the suite.
# Idempotent and non-interactive; safe to run before every build.
set -euo pipefail

export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

packages=(
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix
  cmake ninja-build make googletest
  wine wine32:i386 wine64
  xvfb xauth imagemagick fonts-ipafont-gothic locales
  chrony ntpsec-ntpdig faketime
  nginx-light tinyproxy htpdate
  tshark python3 file
  nsis
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  # tshark asks whether non-root users may capture; answer once, quietly.
  echo "wireshark-common wireshark-common/install-setuid boolean false" | $SUDO debconf-set-selections
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests start their own peers. Packaged daemons that this run has just
# installed may have been started by the installation: stop those, and only
# those (a daemon the machine ran before is left alone).
for pair in chrony:chronyd nginx-light:nginx tinyproxy:tinyproxy; do
  package=${pair%%:*} daemon=${pair##*:}
  case " ${missing[*]} " in *" $package "*) ;; *) continue ;; esac
  service=${package%-light}
  if command -v systemctl >/dev/null 2>&1 && systemctl is-active --quiet "$service" 2>/dev/null; then
    $SUDO systemctl stop "$service" || true
    $SUDO systemctl disable "$service" >/dev/null 2>&1 || true
  fi
  $SUDO pkill -x "$daemon" 2>/dev/null || true
done

# Japanese locale so that Wine runs with ANSI code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi

echo "setup: all build and test dependencies are present"
