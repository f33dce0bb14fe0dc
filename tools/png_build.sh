# What the README's pictures share, sourced by tools/*_png.sh with the build
# target that makes their PDF: the packages, that target built, the root
# folder as the working folder, and a scratch folder $out removed on exit.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target "$1"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
