#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with; only what is
# missing, so a machine that has them all is left alone and needs no network.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation locales
  clang clang-tidy cppcheck libclang-rt-14-dev
  xvfb xauth
  libdxflib-dev python3-ezdxf python3-shapely poppler-utils
  zlib1g-dev qt6-translations-l10n
  libcli11-dev nlohmann-json3-dev libcsv-dev
  libpolyclipping-dev libboost-dev libnest2d-dev libnlopt-cxx-dev
  # installing and packaging: icon renders, validators, the Debian package
  make
  file
  man-db
  librsvg2-bin
  desktop-file-utils
  appstream
  dpkg-dev
  lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# The program's users run a Russian locale with a comma as the decimal
# separator; the tests check that numbers still use the point there.
need_locale() { ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; }

if [ ${#missing[@]} -eq 0 ] && ! need_locale; then
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then sudo=(sudo); else
    echo "These packages are missing and this is not root: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive

# apt and dpkg talk about every package they touch; their words are shown only
# when a step fails.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
quietly() {
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    echo "failed: $*" >&2
    exit 1
  fi
}
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  quietly "${sudo[@]}" apt-get update -qq
  quietly "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if need_locale; then
  quietly "${sudo[@]}" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
