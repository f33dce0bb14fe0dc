#!/usr/bin/env bash
# Builds the program and starts it in the working folder work/, which holds the
# settings file Kiv_ini.txt and receives the script files.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset default
cmake --build --preset default --target Kiv_TQMRZL

mkdir -p work
# A settings file the user has edited is kept.
[ -e work/Kiv_ini.txt ] || cp app/Kiv_ini.txt work/Kiv_ini.txt
cd work
exec ../build/default/app/Kiv_TQMRZL
