#!/usr/bin/env bash
# Static analysis of the program's own sources: clang-tidy with the checks in
# .clang-tidy and cppcheck; any finding fails. Needs the default build's
# compile_commands.json (tools/test.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."

sources=(core/*.cpp input/*.cpp report/*.cpp script/*.cpp export/*.cpp shape/*.cpp road/*.cpp
  paint/*.cpp sheets/*.cpp cli/*.cpp app/*.cpp)

cppcheck --quiet --error-exitcode=1 --std=c++20 --inline-suppr \
  --enable=warning,performance,portability -I . core input report script export shape road paint sheets cli app

# Two files at a time: the machine has two cores.
printf '%s\n' "${sources[@]}" |
  xargs -P 2 -n 4 clang-tidy -p build/default --quiet 2>/dev/null
