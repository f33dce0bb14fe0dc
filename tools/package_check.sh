#!/usr/bin/env bash
# Installs a build as a user or a distribution would and checks the result:
#  - `cmake --install` into a temporary prefix (DESTDIR) puts every file in
#    place;
#  - every manual page has its Russian page, which man finds in a Russian
#    locale, and the Russian user's guide is installed with every picture it
#    shows;
#  - the installed programs print the project's version, and the installed
#    window program starts offscreen from the prefix as the desktop menu starts
#    it (tests/launcher/menu_start.sh);
#  - the desktop entry and the AppStream file pass their validators;
#  - the Debian package is built from the same rules, holds exactly the
#    installed files, has its library dependencies, and lintian finds no
#    errors in it.
# Usage: tools/package_check.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:?usage: tools/package_check.sh BUILD_DIR}")
cd "$(dirname "$0")/.."

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "package check FAILED: $*" >&2; exit 1; }

cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cache CMAKE_PROJECT_VERSION)
[ -n "$version" ] || fail "no project version in $build"

dest=$tmp/dest
DESTDIR=$dest cmake --install "$build" --prefix /usr >"$tmp/install.log"
prefix=$dest/usr

# Every file a rule must install; a rule lost or renamed shows here.
desktop=$(cd "$prefix/share/applications" && ls -- *.desktop)
id=${desktop%.desktop}
expected=(
  bin/Kiv_TQMRZL
  share/applications/$id.desktop
  share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg
  share/icons/hicolor/48x48/apps/$id.png
  share/icons/hicolor/128x128/apps/$id.png
  share/icons/hicolor/256x256/apps/$id.png
  share/man/man1/Kiv_TQMRZL.1.gz
  share/man/ru/man1/Kiv_TQMRZL.1.gz
  share/doc/kiv-tqmrzl/README.md
  share/doc/kiv-tqmrzl/LICENSE
  share/doc/kiv-tqmrzl/copyright
  share/doc/kiv-tqmrzl/changelog.gz
  share/doc/kiv-tqmrzl/ru/guide.md
)
# The command-line program, where the build has it.
if [ -e "$prefix/bin/kiv" ] || find "$build" -maxdepth 3 -name kiv -type f -perm -u+x | grep -q .; then
  expected+=(bin/kiv share/man/man1/kiv.1.gz share/man/ru/man1/kiv.1.gz)
fi
for f in "${expected[@]}"; do
  [ -f "$prefix/$f" ] || fail "cmake --install did not put /usr/$f in place"
done
for size in 48 128 256; do
  file "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size," ||
    fail "the $size px icon is not $size x $size"
done
man=$prefix/share/man
for page in "$man"/man1/*.1.gz "$man"/ru/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "${page#"$man"/}: $warnings"
done

# The Russian pages: one for every English page, in Russian, and the one man
# shows in a Russian locale (man-db looks in man/ru before man/).
for page in "$man"/man1/*.1.gz; do
  name=$(basename "$page" .1.gz)
  [ "$(zcat "$man/ru/man1/$name.1.gz" | grep -c '^\.SH ИМЯ$')" = 1 ] || fail "ru/man1/$name.1.gz is not a Russian page"
done
if locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
  for page in "$man"/man1/*.1.gz; do
    name=$(basename "$page" .1.gz)
    got=$(env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=ru_RU.UTF-8 MANPATH="$man" man -w "$name")
    [ "$got" = "$man/ru/man1/$name.1.gz" ] || fail "man $name in a Russian locale shows $got"
    got=$(env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=C.UTF-8 MANPATH="$man" man -w "$name")
    [ "$got" = "$page" ] || fail "man $name in the C locale shows $got"
  done
else
  echo "package check: no ru_RU.UTF-8 locale here, so which page man shows in it is not checked" >&2
fi

# Every picture the guide shows is installed where its link points.
guide=$prefix/share/doc/kiv-tqmrzl/ru/guide.md
pictures=$(grep -o '](\.\./[^)]*\.png)' "$guide" | sed 's/^](//; s/)$//' | sort -u || true)
[ -n "$pictures" ] || fail "the installed guide shows no pictures"
for picture in $pictures; do
  file "$(dirname "$guide")/$picture" | grep -q 'PNG image data' ||
    fail "the guide shows $picture, which is not installed beside it"
done

# --version of each installed program, without a display.
got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/Kiv_TQMRZL" --version)
[ "$got" = "Kiv_TQMRZL $version" ] || fail "Kiv_TQMRZL --version printed '$got', not 'Kiv_TQMRZL $version'"
if [ -e "$prefix/bin/kiv" ]; then
  got=$("$prefix/bin/kiv" --version)
  case "$got" in *"$version"*) ;; *) fail "kiv --version printed '$got', not $version" ;; esac
fi

# Both pages of kiv name every long option its help lists, so that an option
# added to the command is not missing from either page.
if [ -e "$prefix/bin/kiv" ]; then
  for verb in calc batch nest; do
    for option in $("$prefix/bin/kiv" "$verb" --help | grep -o -- '--[A-Za-z][A-Za-z0-9-]*' | sort -u); do
      for page in "$man/man1/kiv.1.gz" "$man/ru/man1/kiv.1.gz"; do
        [ "$(zcat "$page" | grep -c -F -- "${option//-/\\-}")" != 0 ] ||
          fail "${page#"$man"/} does not describe kiv $verb $option"
      done
    done
  done
fi

# The installed window program, started from the prefix as the menu starts it.
bash tests/launcher/menu_start.sh "$prefix/bin/Kiv_TQMRZL" "$prefix/share/applications/$desktop" \
  app/Kiv_ini.txt >/dev/null

desktop-file-validate "$prefix/share/applications/$desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$tmp/appstream.log" ||
  { cat "$tmp/appstream.log" >&2; fail "appstreamcli validate"; }

# The Debian package, from the same install rules.
(cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/deb" >"$tmp/cpack.log" 2>&1) ||
  { cat "$tmp/cpack.log" >&2; fail "cpack"; }
arch=$(dpkg --print-architecture)
deb=$tmp/deb/kiv-tqmrzl_${version}_$arch.deb
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack made: $(ls "$tmp/deb")"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {sub(/^\./, "", $6); print $6}' | sort >"$tmp/deb.files"
sed "s|^$dest||" "$build/install_manifest.txt" | sort >"$tmp/install.files"
diff -u "$tmp/install.files" "$tmp/deb.files" >&2 ||
  fail "the package's files differ from what cmake --install puts in place"
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in *libqt6widgets6*) ;; *) fail "dpkg-shlibdeps found no Qt dependency: '$depends'" ;; esac
lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1 ||
  { cat "$tmp/lintian.log" >&2; fail "lintian finds errors in $(basename "$deb")"; }

echo "package check: installed, started, validated; $(basename "$deb") holds the $(wc -l <"$tmp/deb.files") installed files, lintian clean"
