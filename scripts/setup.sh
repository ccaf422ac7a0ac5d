#!/bin/sh
# Installs every Debian package the project needs. Idempotent: it runs
# apt-get only when something is missing, and `apt-get update` only then.
set -e

PACKAGES="g++ cmake make pkg-config clang libclang-rt-dev \
  libsdl2-dev libtinyxml-dev libfreetype-dev zlib1g-dev \
  libvorbis-dev libogg-dev libopenal-dev libopenal1 \
  libgl1-mesa-dev libgl1-mesa-dri xvfb xauth \
  googletest libgtest-dev lua5.4 fonts-dejavu-core"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "setup: installing$missing"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi
