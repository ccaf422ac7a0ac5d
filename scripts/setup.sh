#!/bin/sh
# Installs every Debian package the project needs and the comma-decimal
# locale the number tests switch to. Idempotent: it runs apt-get only when
# something is missing (and `apt-get update` only then), and generates the
# locale only when it is not there yet.
set -e

PACKAGES="g++ cmake make pkg-config clang libclang-rt-dev \
  libsdl2-dev libx11-dev libxtst-dev libtinyxml-dev libfreetype-dev zlib1g-dev \
  libvorbis-dev libogg-dev libopenal-dev libopenal1 \
  libgl1-mesa-dev libgl1-mesa-dri xvfb xauth \
  googletest libgtest-dev lua5.4 locales fonts-dejavu-core"

# A locale whose decimal separator is a comma: saved numbers must not follow it.
COMMA_LOCALE="de_DE.UTF-8"

# How long to wait for another package install (an unattended upgrade, a
# second terminal) to let go of the package manager's lock: long enough for
# an ordinary install to finish, short enough that a stuck one is noticed.
LOCK_WAIT_SECONDS=300
LOCK_POLL_SECONDS=5

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# apt-get with its arguments; while another process holds the lock it says
# so and tries again, for at most LOCK_WAIT_SECONDS.
apt_get() {
  waited=0
  errors=$(mktemp)
  while :; do
    status=0
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get "$@" 2>"$errors" || status=$?
    if [ "$status" -eq 0 ]; then
      rm -f "$errors"
      return 0
    fi
    if ! grep -qiE "could not get lock|unable to acquire|unable to lock" "$errors" ||
       [ "$waited" -ge "$LOCK_WAIT_SECONDS" ]; then
      cat "$errors" >&2
      rm -f "$errors"
      [ "$waited" -ge "$LOCK_WAIT_SECONDS" ] &&
        echo "setup: the package manager stayed locked for ${LOCK_WAIT_SECONDS}s; giving up" >&2
      return "$status"
    fi
    echo "setup: another package install holds the lock; waiting (${waited}s of at most ${LOCK_WAIT_SECONDS}s)"
    sleep "$LOCK_POLL_SECONDS"
    waited=$((waited + LOCK_POLL_SECONDS))
  done
}

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  apt_get update -qq
  apt_get install -y -qq $missing
fi

# `locale -a` lists "de_DE.utf8" for "de_DE.UTF-8".
if ! locale -a 2>/dev/null | grep -qix "de_DE\.utf-\?8"; then
  echo "setup: generating the $COMMA_LOCALE locale"
  if ! grep -q "^$COMMA_LOCALE UTF-8" /etc/locale.gen 2>/dev/null; then
    echo "$COMMA_LOCALE UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen
fi
