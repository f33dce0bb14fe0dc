#!/usr/bin/env bash
# Static analysis of the program's own sources, the tests, the fuzz targets
# and the benchmarks: clang-tidy with the checks in .clang-tidy, and cppcheck;
# any finding fails, and is shown. Needs the default build's
# compile_commands.json (tools/test.sh makes it). The fuzz targets and the
# benchmarks are not in the default build: their compile commands come from a
# configure-only tree, build/lint, and are skipped with a note when that
# cannot be configured. clang-tidy reads the tests only when asked
# (`--all`): they hold as many lines as the rest, and GoogleTest's macros
# make each file slow to analyse; cppcheck reads them always.
set -euo pipefail
tidy_tests=0
[ "${1:-}" = --all ] && tidy_tests=1
cd "$(dirname "$0")/.."

folders=(core input report script export shape road nest paint sheets cli app tests bench fuzz)
jobs=$(nproc)
default_db=build/default
extra_db=build/lint

if [ ! -f "$default_db/compile_commands.json" ]; then
  echo "lint: no $default_db/compile_commands.json; build the default preset first" >&2
  exit 1
fi

# The files a compile database compiles, relative to here, one a line.
compiled_in() {
  grep -oE '"file": "[^"]*"' "$1/compile_commands.json" | sed -E 's/^"file": "(.*)"$/\1/' |
    sed "s#^$PWD/##" | sort -u
}

# Every C++ source of ours, and the ones each database compiles. The libnest2d
# baseline is a wrapper round a third-party library, compiled as C++17 for
# it; its findings would be the library's, so clang-tidy leaves it out.
mapfile -t ours < <(find "${folders[@]}" -name '*.cpp' ! -path bench/nest_baseline.cpp | sort)
echo "lint: clang-tidy leaves out bench/nest_baseline.cpp (the libnest2d wrapper)" >&2
if [ "$tidy_tests" = 0 ]; then
  mapfile -t ours < <(printf '%s\n' "${ours[@]}" | grep -v '^tests/')
  echo "lint: clang-tidy leaves out tests/ (tools/lint.sh --all reads them too)" >&2
fi
mapfile -t in_default < <(compiled_in "$default_db" | grep -Fxf <(printf '%s\n' "${ours[@]}") || true)

extra_sources=()
if cmake -S . -B "$extra_db" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIV_BUILD_BENCH=ON \
  -DKIV_BUILD_FUZZ=ON -DKIV_BUILD_TESTS=OFF >"$extra_db.log" 2>&1; then
  mapfile -t extra_sources < <(compiled_in "$extra_db" | grep -E '^(bench|fuzz)/' |
    grep -Fxf <(printf '%s\n' "${ours[@]}") || true)
else
  echo "lint: skipping bench/ and fuzz/ with clang-tidy: their compile commands could not be" \
    "made (see $extra_db.log)" >&2
fi

# Anything of ours that neither database compiles is named, not silently left out.
for f in "${ours[@]}"; do
  if ! printf '%s\n' "${in_default[@]}" "${extra_sources[@]}" | grep -qFx "$f"; then
    echo "lint: clang-tidy skips $f (in no compile database)" >&2
  fi
done

# Every tool runs even when an earlier one found something, so that one run
# shows all there is to fix.
status=0
# cppcheck reads GoogleTest's macros through its googletest library file;
# without it every TEST would be a syntax error.
cppcheck --quiet --error-exitcode=1 --std=c++20 --inline-suppr -j "$jobs" --library=googletest \
  --enable=warning,performance,portability -I . -I tests "${folders[@]}" || status=1

# clang-tidy's findings go to stdout; its stderr carries only the count of
# warnings in code outside our folders ("N warnings generated."), which is
# dropped so that a clean run stays quiet. Anything else it says is kept.
tidy() {
  local db=$1
  shift
  [ $# -gt 0 ] || return 0
  printf '%s\n' "$@" |
    xargs -P "$jobs" -n 2 clang-tidy -p "$db" --quiet 2>&1 |
    { grep -vE '^[0-9]+ (warning|error)s? (and [0-9]+ (warning|error)s? )?generated\.$' || true; }
}
tidy "$default_db" "${in_default[@]}" || status=1
tidy "$extra_db" "${extra_sources[@]}" || status=1
exit "$status"
