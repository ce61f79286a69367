#!/usr/bin/env bash
# Installs the Debian packages named as arguments that are not installed yet.
# A name with an architecture (wine32:i386) adds that architecture to dpkg
# first. Safe to run again: it does nothing when everything is there.
set -euo pipefail
missing=()
architectures=()
for package in "$@"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' && continue
  missing+=("$package")
  if [[ $package == *:* ]]; then
    architecture=${package#*:}
    if [ "$architecture" != "$(dpkg --print-architecture)" ] &&
      ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
      architectures+=("$architecture")
    fi
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
for architecture in "${architectures[@]}"; do dpkg --add-architecture "$architecture"; done
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
