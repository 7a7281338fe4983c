#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test orn20mb.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n libqt6svg6
  libgtest-dev libgmock-dev libbenchmark-dev
  libmodbus-dev mbpoll socat
  python3 python3-pymodbus python3-serial python3-serial-asyncio
  fonts-liberation2 xvfb xauth x11-utils locales libc-l10n
  # the certificate tests read the PDF back
  poppler-utils
  clang-14 libclang-rt-14-dev
  # Debian's build flags, the package check, man pages and the bash completion
  dpkg-dev lintian man-db bash-completion
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
# The tests check number formats under a Russian UTF-8 locale.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
