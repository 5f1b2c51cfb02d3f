#!/usr/bin/env bash
# Installs the build into a staging folder, the way a package is built, and
# checks what lands there: both programs run and tell the one version, the
# menu entry, the logger files' type and the software centre's metadata pass
# their validators, the icon and the manual pages are well formed, and the
# menu's launcher starts the recorder in the user's data folder, with the
# file it was given.
#
# usage: install_test.sh CMAKE BUILD_DIR BINDIR DATADIR MANDIR LAUNCHER APP_ID VERSION DATE
# (the directories as configured, absolute; the project's version and its date)
set -uo pipefail

cmake=$1 build=$2 bindir=$3 datadir=$4 mandir=$5 launcher=$6 app_id=$7 version=$8 date=$9

stage=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$stage"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR=$stage/root "$cmake" --install "$build" >/dev/null || { echo "FAIL: install" >&2; exit 1; }
root=$stage/root

# The programs run from where they were installed.
for program in vt640-recorder vt640-tool; do
  [ -x "$root$bindir/$program" ] || fail "$program is not installed in $bindir"
done
decoded=$(echo 0000000050b5f972000200000000000000000000 | "$root$bindir/vt640-tool" decode)
[[ $decoded == *'"readoutText":"12.34","refused":false,"lowBattery":false,"logValue":12.34}' ]] \
  || fail "installed vt640-tool decode printed: $decoded"
"$root$bindir/vt640-recorder" --help | grep -q -- '--demo' || fail "installed vt640-recorder --help"

# One version everywhere: both programs, the manual pages and the metadata.
for program in vt640-recorder vt640-tool; do
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root$bindir/$program" --version)
  [ "$said" = "$program $version ($date)" ] || fail "$program --version said '$said'"
done

# The menu entry, its icon and the metadata.
desktop=$root$datadir/applications/$app_id.desktop
metainfo=$root$datadir/metainfo/$app_id.metainfo.xml
icon=$root$datadir/icons/hicolor/scalable/apps/$app_id.svg
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net --pedantic "$metainfo" >"$stage/appstream.log" 2>&1 \
  || { cat "$stage/appstream.log" >&2; fail "appstreamcli validate $metainfo"; }
grep -qx "Exec=$launcher %f" "$desktop" || fail "the menu entry does not run $launcher with the file"
grep -qx "Icon=$app_id" "$desktop" || fail "the menu entry names another icon"
grep -qx "MimeType=application/x-vt640-logger;" "$desktop" || fail "the menu entry does not open logger files"
grep -q "<release version=\"$version\" date=\"$date\"/>" "$metainfo" || fail "the metadata names another release"

# The logger files' type: the three names, known to the MIME database.
mime=$root$datadir/mime/packages/$app_id.xml
xmllint --noout "$mime" || fail "$mime is not well formed"
mkdir -p "$stage/mime/packages" && cp "$mime" "$stage/mime/packages/"
if update-mime-database "$stage/mime" >"$stage/mime.log" 2>&1; then
  for glob in '*.640' '*.r27' '*.r26'; do
    grep -qF ":application/x-vt640-logger:$glob" "$stage/mime/globs2" \
      || fail "the MIME database does not take $glob for a logger file"
  done
  grep -q '<comment>Vt640 logger file</comment>' "$stage/mime/application/x-vt640-logger.xml" \
    || fail "the logger file type has no name"
else
  cat "$stage/mime.log" >&2
  fail "update-mime-database refused $mime"
fi
# The tree as a whole: the metadata's menu entry is the one installed.
appstreamcli validate-tree --no-net "$root${datadir%/share}" >"$stage/appstream-tree.log" 2>&1 \
  || { cat "$stage/appstream-tree.log" >&2; fail "appstreamcli validate-tree"; }
xmllint --noout "$icon" && grep -q '<svg xmlns="http://www.w3.org/2000/svg"' "$icon" \
  || fail "the icon $icon is not an SVG picture"

# Manual pages: present, compressed, and formatted without a warning.
for page in vt640-recorder vt640-tool; do
  file=$root$mandir/man1/$page.1.gz
  if [ ! -f "$file" ]; then
    fail "no manual page $file"
    continue
  fi
  warnings=$(zcat "$file" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$page.1: $warnings"
  zcat "$file" | grep -q "^$page \\\\- " || fail "$page.1 has no NAME line"
  zcat "$file" | grep -qx ".TH ${page^^} 1 \"$date\" \"vt640 $version\" \"User Commands\"" \
    || fail "$page.1 names another version"
done

# starts LABEL EXPECTED_FOLDER ENV...: runs the staged launcher with the given
# environment and waits until the recorder runs, then checks its start-up folder.
starts() {
  local label=$1 expected=$2
  shift 2
  (cd "$stage" && exec env "$@" "$root$launcher" >"$stage/$label.out" 2>&1) &
  local pid=$!
  pids+=("$pid")
  local exe="" cwd=""
  for _ in $(seq 600); do
    exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || break
    [ "$exe" = "$root$bindir/vt640-recorder" ] && break
    sleep 0.05
  done
  cwd=$(readlink "/proc/$pid/cwd" 2>/dev/null)
  [ "$exe" = "$root$bindir/vt640-recorder" ] \
    || { cat "$stage/$label.out" >&2; fail "$label: the launcher did not start the recorder"; }
  [ "$cwd" = "$expected" ] || fail "$label: started in '$cwd', not '$expected'"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

home=$stage/home
mkdir -p "$home"
# No XDG_DATA_HOME, or a relative one (invalid): ~/.local/share/vt640, made on the way.
starts default "$home/.local/share/vt640" -u XDG_DATA_HOME HOME="$home"
starts relative "$home/.local/share/vt640" HOME="$home" XDG_DATA_HOME=relative/data
starts xdg "$stage/data/vt640" HOME="$home" XDG_DATA_HOME="$stage/data"
# A file in the way: the recorder still starts, where it was started from.
mkdir -p "$stage/blocked" && touch "$stage/blocked/vt640"
starts blocked "$stage" HOME="$home" XDG_DATA_HOME="$stage/blocked"
grep -q "cannot use $stage/blocked/vt640" "$stage/blocked.out" || fail "blocked: no reason given"

# A file named relative to where the launcher was called (as a file manager
# may hand it over) reaches the recorder as the same file.
mkdir -p "$stage/logs" && head -c 384 /dev/zero >"$stage/logs/given.640"
(cd "$stage/logs" && exec env -u XDG_DATA_HOME HOME="$home" "$root$launcher" given.640 >"$stage/file.out" 2>&1) &
pid=$!
pids+=("$pid")
given=""
for _ in $(seq 600); do
  [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$root$bindir/vt640-recorder" ] \
    && given=$(tr '\0' '\n' <"/proc/$pid/cmdline" | tail -n +2) && break
  sleep 0.05
done
[ "$given" = "$stage/logs/given.640" ] \
  || { cat "$stage/file.out" >&2; fail "file: the recorder was given '$given'"; }
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null

[ "$failures" -eq 0 ] || exit 1
echo "installed files checked"
