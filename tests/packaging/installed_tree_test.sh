#!/usr/bin/env bash
# Installs the build into a throw-away root, either by building the Debian
# package and unpacking it (deb) or by `cmake --install` (install), and checks
# the installed tree: the layout, the links to the converting programs, that
# quarnctl finds the installed stylesheet through its link, the man pages, and
# the desktop entries, metainfo and the file type as the desktop tools read them.
#
# installed_tree_test.sh MODE BUILD_DIR SOURCE_DIR VERSION REFERENCE_QUARNCTL WITH_CONVERTER PROGRAM...
# (WITH_CONVERTER is 1 when the converter, and with it quarnctl convert, is built;
# CPACK and CMAKE in the environment name the tools of the build)
set -euo pipefail

mode=$1 build=$2 source=$3 version=$4 reference=$5 with_converter=$6
shift 6
programs=("$@")

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

has() {
  local wanted=$1 p
  for p in "${programs[@]}"; do
    [ "$p" = "$wanted" ] && return 0
  done
  return 1
}

for tool in dpkg-deb desktop-file-validate appstreamcli man update-mime-database; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root

# --- install --------------------------------------------------------------
case $mode in
  deb)
    # A package folder of our own, so a concurrent `make package` is not disturbed.
    "${CPACK:-cpack}" --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1 ||
      { cat "$tmp/cpack.log" >&2; fail "cpack failed"; }
    deb=$tmp/pkg/quarn-tools_${version}_$(dpkg --print-architecture).deb
    [ -f "$deb" ] || { ls -l "$tmp/pkg" >&2; fail "no package named $(basename "$deb")"; }

    field() { dpkg-deb --field "$deb" "$1"; }
    [ "$(field Package)" = quarn-tools ] || fail "Package: $(field Package)"
    [ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
    [ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
    [ "$(field Section)" = electronics ] || fail "Section: $(field Section)"
    [[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
    [[ "$(field Homepage)" =~ ^https:// ]] || fail "Homepage: $(field Homepage)"
    description=$(field Description)
    [[ "$(head -n1 <<<"$description")" == *"QUARN relay controllers"* ]] || fail "Description: $description"
    [ "$(wc -l <<<"$description")" -gt 3 ] || fail "Description has no long text: $description"
    # Run-time dependencies as dpkg-shlibdeps found them, with versions.
    depends=$(field Depends)
    needed=("libc6 (>=")
    if [ "$with_converter" = 1 ]; then needed+=("libxslt1.1 (>="); fi
    if has QuarnTool || has morvex; then needed+=("libqt6widgets6 (>="); fi
    # The SVG plug-ins that draw the icons are loaded at run time.
    if has QuarnTool || has morvex; then needed+=("libqt6svg6"); fi
    for n in "${needed[@]}"; do
      [[ "$depends" == *"$n"* ]] || fail "Depends lacks '$n': $depends"
    done
    # Everything in the archive belongs to root and lies under /usr.
    listing=$(dpkg-deb --contents "$deb")
    if grep -v ' root/root ' <<<"$listing" | grep -q .; then fail "files not owned by root: $listing"; fi
    if awk '{print $6}' <<<"$listing" | grep -v -E '^\./(usr/.*)?$' | grep -q .; then
      fail "files outside /usr: $listing"
    fi
    dpkg-deb -x "$deb" "$root"
    ;;
  install)
    DESTDIR=$root "${CMAKE:-cmake}" --install "$build" --prefix /usr >"$tmp/install.log" 2>&1 ||
      { cat "$tmp/install.log" >&2; fail "cmake --install failed"; }
    ;;
  *)
    fail "unknown mode $mode"
    ;;
esac

usr=$root/usr
private=lib/quarn-tools

# --- layout -------------------------------------------------------------------
# bin/ holds the programs and nothing else: the stylesheet lives in the
# private folder, reached through the links.
expected_bin=$(printf '%s\n' "${programs[@]}" | sort)
actual_bin=$(ls -A "$usr/bin" | sort)
[ "$actual_bin" = "$expected_bin" ] || fail "bin/ holds '$actual_bin', expected '$expected_bin'"

for p in "${programs[@]}"; do
  case $p in
    morvex | quarnctl)
      [ -L "$usr/bin/$p" ] || fail "bin/$p is not a link"
      [ "$(readlink "$usr/bin/$p")" = "../$private/$p" ] || fail "bin/$p -> $(readlink "$usr/bin/$p")"
      [ -f "$usr/$private/$p" ] && [ -x "$usr/$private/$p" ] || fail "$private/$p is not an executable file"
      ;;
    *)
      [ -f "$usr/bin/$p" ] && [ ! -L "$usr/bin/$p" ] && [ -x "$usr/bin/$p" ] || fail "bin/$p is not an executable file"
      ;;
  esac
done
if [ "$with_converter" = 1 ]; then
  cmp "$source/converter/morvex.xsl" "$usr/$private/morvex.xsl" || fail "installed morvex.xsl differs from the source"
fi

# --- the programs, started through PATH from an unrelated folder --------------
mkdir "$tmp/work"
cd "$tmp/work"
run() { PATH=$usr/bin:/usr/bin:/bin "$@"; }
for p in quarnctl quarnsim; do
  if has $p; then
    answer=$(run $p --version) || fail "$p --version failed"
    [ "$answer" = "$p $version" ] || fail "$p --version said '$answer'"
  fi
done

if has quarnctl && [ "$with_converter" = 1 ]; then
  cp "$source/tests/packaging/fixtures/lamp.xmi" .
  run quarnctl convert lamp.xmi installed.xml >convert.out 2>&1 || { cat convert.out >&2; fail "installed quarnctl convert failed"; }
  "$reference" convert lamp.xmi built.xml >/dev/null 2>&1 || fail "the build tree's quarnctl convert failed"
  cmp built.xml installed.xml || fail "the installed conversion differs from the build tree's"
  grep -q '#S0' installed.xml || fail "the conversion lost the relay's condition: $(cat installed.xml)"

  # Without the installed stylesheet the conversion must fail: the link was
  # resolved to the private folder and nothing else was read.
  mv "$usr/$private/morvex.xsl" "$tmp/morvex.xsl.away"
  if run quarnctl convert lamp.xmi orphan.xml >orphan.out 2>&1; then
    fail "quarnctl converted without the installed stylesheet: $(cat orphan.out)"
  fi
  [ ! -e orphan.xml ] || fail "a failed conversion left orphan.xml behind"
  mv "$tmp/morvex.xsl.away" "$usr/$private/morvex.xsl"
fi

# --- man pages -----------------------------------------------------------------
for p in quarnctl quarnsim; do
  has $p || continue
  page=$usr/share/man/man1/$p.1.gz
  [ -f "$page" ] || fail "no man page $page"
  gzip -t "$page" || fail "$page is not gzip"
  text=$(MANWIDTH=80 man -l "$page" 2>&1) || fail "man cannot show $page: $text"
  grep -q "^NAME" <<<"$text" || fail "$p.1 has no NAME: $text"
  grep -q "^ *$p - " <<<"$text" || fail "$p.1 does not name $p: $text"
  grep -q -- "--version" <<<"$text" || fail "$p.1 lists no options: $text"
  grep -q "$version" <<<"$text" || fail "$p.1 does not carry version $version"
done
if has quarnctl; then
  grep -q "^EXIT STATUS" <<<"$(MANWIDTH=80 man -l "$usr/share/man/man1/quarnctl.1.gz")" || fail "quarnctl.1 lacks EXIT STATUS"
fi

# --- desktop entries, icons, metainfo ------------------------------------------
desktop_count=0
for p in QuarnTool morvex; do
  has $p || continue
  id=io.github.quarn.$p
  entry=$usr/share/applications/$id.desktop
  [ -f "$entry" ] || fail "no desktop entry $entry"
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$usr/bin/$exec_name" ] || fail "$entry starts '$exec_name', which is not in bin/"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "$usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "$entry names icon $icon, which is not installed"
  grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/$icon.svg" || fail "icon $icon is not SVG"
  meta=$usr/share/metainfo/$id.metainfo.xml
  [ -f "$meta" ] || fail "no metainfo $meta"
  appstreamcli validate --no-net "$meta" >"$tmp/validate.out" 2>&1 ||
    { cat "$tmp/validate.out" >&2; fail "appstreamcli rejects $meta"; }
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$meta" || fail "$meta does not launch $id.desktop"
  desktop_count=$((desktop_count + 1))
done
# Each entry opens a file (%f), its window is known by the class the program
# runs under (its executable's name), and every file type it opens is one the
# desktop knows: ours, installed below, or one of the shared MIME database.
system_types=/usr/share/mime/packages/freedesktop.org.xml
for p in QuarnTool morvex; do
  has $p || continue
  entry=$usr/share/applications/io.github.quarn.$p.desktop
  grep -q "^Exec=$p %f\$" "$entry" || fail "$entry does not pass the file: $(grep ^Exec= "$entry")"
  [ "$(sed -n 's/^StartupWMClass=//p' "$entry")" = "$p" ] || fail "$entry: StartupWMClass is not $p"
  types=$(sed -n 's/^MimeType=//p' "$entry" | tr ';' ' ')
  [ -n "$types" ] || fail "$entry names no file type"
  for type in $types; do
    grep -qs "type=\"$type\"" "$usr"/share/mime/packages/*.xml "$system_types" ||
      fail "$entry opens $type, which no MIME definition describes"
  done
done

# The editor's file type: the root element <statemachine> tells it apart from
# other XML, and it claims no file name (see packaging/quarn-tools.mime.xml).
# The definition is compiled into a scratch database beside the system's own.
if has QuarnTool; then
  definition=$usr/share/mime/packages/quarn-tools.xml
  [ -f "$definition" ] || fail "no MIME definition $definition"
  cmp "$source/packaging/quarn-tools.mime.xml" "$definition" || fail "$definition differs from the source"
  db=$tmp/mime-db/mime
  mkdir -p "$db/packages"
  cp "$definition" "$db/packages/"
  if [ -f "$system_types" ]; then cp "$system_types" "$db/packages/"; fi
  XDG_DATA_DIRS=$tmp/mime-db XDG_DATA_HOME=$tmp/mime-home update-mime-database "$db" >"$tmp/mime.out" 2>&1 ||
    { cat "$tmp/mime.out" >&2; fail "update-mime-database rejects $definition"; }
  [ ! -s "$tmp/mime.out" ] || { cat "$tmp/mime.out" >&2; fail "update-mime-database warns about $definition"; }
  [ -f "$db/application/x-quarn-statemachine.xml" ] || fail "the database holds no application/x-quarn-statemachine"
  grep -qx ' statemachine application/x-quarn-statemachine' "$db/XMLnamespaces" ||
    fail "no root-element rule for <statemachine>: $(cat "$db/XMLnamespaces")"
  grep -qx 'application/x-quarn-statemachine application/xml' "$db/subclasses" ||
    fail "application/x-quarn-statemachine is not XML: $(grep quarn "$db/subclasses")"
  if grep -q 'x-quarn-statemachine' "$db/globs2"; then
    fail "the type claims file names, and with them other XML files: $(grep quarn "$db/globs2")"
  fi
fi

# Nothing installed for a program that is not there.
installed_entries=$(find "$usr/share" -name '*.desktop' 2>/dev/null | wc -l)
[ "$installed_entries" -eq "$desktop_count" ] || fail "$installed_entries desktop entries for $desktop_count window programs"

echo "installed tree ($mode) is complete: ${programs[*]}"
