#!/usr/bin/env bash
# Tests the release artefacts that tools/package.sh left in build/packages:
#   MSI    under Wine with a fresh prefix: msiexec /i installs per user, the programs start
#          from their Start-menu shortcuts and open their windows (screenshots), Kadra saves
#          its settings on close, msiexec /x removes everything but the user's KADRA.INI
#   zip    unpacked into a folder with a space and non-ASCII letters: the programs start
#   DLLs   objdump -p: every imported DLL is ours or one of the system's own
#   .deb   dpkg -i on this machine (root), bexa, kadra --version and man kadra work, dpkg -r
# Screenshots go to build/packages/test.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
pkg=$root/build/packages
shots=$pkg/test
work=$root/build/package-test
rm -rf "$shots" "$work"
mkdir -p "$shots" "$work"

msi=$(ls "$pkg"/bexa-kadra-*-x64.msi)
zip_file=$(ls "$pkg"/bexa-kadra-*-win64.zip)
deb=$(ls "$pkg"/bexa-kadra_*_amd64.deb)
version=$(basename "$msi" | sed 's/^bexa-kadra-\(.*\)-x64\.msi$/\1/')

failures=0
pass() { echo "package-test: ok   $*"; }
fail() { echo "package-test: FAIL $*" >&2; failures=$((failures + 1)); }
check() { # check "what" command...
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

# Which of Kadra's files the packages hold (kadra.exe and its libraries join when built).
have_kadra=0
# (The listing is read whole first: grep -q would end the pipe early and, under pipefail, the
# test with it.)
zip_listing=$(unzip -l "$zip_file")
if grep -q '/kadra\.exe$' <<<"$zip_listing"; then have_kadra=1; fi

# --- Wine: a fresh prefix with its own display. Programs run without a window manager, so
# each top-level window is an X window named after its caption (xwininfo finds it).
export DISPLAY=""
source tools/wine-session.sh "$work/wine"
trap wine_session_end EXIT
# The driver file is not ours to ship; stand in for an installed one so that the programs
# go straight to their windows.
: >"$WINEPREFIX/drive_c/windows/system32/drivers/Tvk.sys"

# A window's caption is CAPTION, or CAPTION followed by " - " and more (Bexa names the machine it
# shows after its own name).
caption_pattern() { printf '"%s( - [^"]*)?"' "$1"; }
windows_named() { xwininfo -root -tree 2>/dev/null | grep -cE "$(caption_pattern "$1")" || true; }
wait_for_window() { # wait_for_window CAPTION: up to 20 s
  for _ in $(seq 40); do
    [ "$(windows_named "$1")" -gt 0 ] && return 0
    sleep 0.5
  done
  return 1
}
close_program() { # close_program EXE CAPTION: WM_CLOSE to its windows, as the close box does
  "$WINE" taskkill /im "$1" >/dev/null 2>&1 || true
  for _ in $(seq 20); do
    [ "$(windows_named "$2")" -eq 0 ] && return 0
    sleep 0.5
  done
  "$WINE" taskkill /f /im "$1" >/dev/null 2>&1 || true
  return 1
}
# click_at CAPTION FX FY: a click at a fraction of the window's size (any display scale)
click_at() {
  local geometry x y w h
  # The largest window of that caption (a program may own hidden ones of the same name).
  geometry=$(xwininfo -root -tree | grep -E "$(caption_pattern "$1")" | grep -o '[0-9]*x[0-9]*+[0-9]*+[0-9]*' |
             awk -Fx '{split($2, r, "+"); print $1 * r[1], $0}' | sort -n | tail -1 | cut -d' ' -f2)
  [ -n "$geometry" ] || return 1
  IFS='x+' read -r w h x y <<<"$geometry"
  xdotool mousemove "$(awk "BEGIN{print int($x + $w * $2)}")" "$(awk "BEGIN{print int($y + $h * $3)}")" \
          click 1
}
# start_shortcut LNK CAPTION SHOT: starts the program as a click on the shortcut does
start_shortcut() {
  "$WINE" start /unix "$1" >/dev/null 2>&1
  if wait_for_window "$2"; then
    sleep 2
    import -window root "$shots/$3" 2>/dev/null || true
    return 0
  fi
  return 1
}

win_msi=$("$WINE" winepath -w "$msi" 2>/dev/null)
check "msiexec /i installs" "$WINE" msiexec /i "$win_msi" /qn
"$WINESERVER" -w || true
users=$WINEPREFIX/drive_c/users/$(id -un)
installdir="$users/AppData/Local/Programs/Bexa and Kadra"
menu="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Bexa and Kadra"
# The installer and the zip hold the same program folder.
mapfile -t expected < <(unzip -Z1 "$zip_file" | grep -v '/$' | sed 's|^[^/]*/||')
missing=""
for f in bexa.exe travik.dll travikw.dll pcidevs.txt KADRA.INI README.txt docs/bexa.html \
         docs/install.html "${expected[@]}"; do
  [ -f "$installdir/$f" ] || missing+=" $f"
done
check "installed into %LOCALAPPDATA%\\Programs (missing:${missing:- none})" test -z "$missing"
check "Start-menu shortcut Bexa" test -f "$menu/Bexa.lnk"
# Windows keeps a per-user product's entry under HKCU, Wine under HKLM.
uninstall_entries() {
  for hive in HKCU HKLM; do
    "$WINE" reg query "$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s 2>/dev/null
  done | tr -d '\r'
}
check "Programs and Features entry with version $version" \
  bash -c "grep -A30 'DisplayName.*Bexa and Kadra' <<<\"\$1\" | grep -q 'DisplayVersion.*$version'" _ \
  "$(uninstall_entries)"

check "installed bexa.exe opens its window from the shortcut" \
  start_shortcut "$menu/Bexa.lnk" Bexa msi-bexa.png
# The About window shows the version lines of the pcidevs.txt in the current folder.
click_at Bexa 0.92 0.657 || true
check "Bexa's About window opens" wait_for_window "About Bexa"
sleep 1
import -window root "$shots/msi-bexa-about.png" 2>/dev/null || true
check "bexa.exe closes" close_program bexa.exe Bexa

if [ $have_kadra = 1 ]; then
  check "Start-menu shortcut Kadra" test -f "$menu/Kadra.lnk"
  before=$(md5sum <"$installdir/KADRA.INI")
  check "installed kadra.exe opens its window from the shortcut" \
    start_shortcut "$menu/Kadra.lnk" Kadra msi-kadra.png
  check "kadra.exe closes" close_program kadra.exe Kadra
  "$WINESERVER" -w || true
  check "kadra.exe saved its settings in the per-user KADRA.INI" \
    test "$(md5sum <"$installdir/KADRA.INI")" != "$before"
else
  echo "package-test: kadra.exe is not in the packages yet: its checks are skipped"
fi

check "msiexec /x removes" "$WINE" msiexec /x "$win_msi" /qn
"$WINESERVER" -w || true
left=$(cd "$installdir" 2>/dev/null && find . -type f ! -path ./KADRA.INI | head -5 || true)
check "uninstall removed every file but KADRA.INI (left: ${left:-none})" test -z "$left"
check "uninstall kept the user's KADRA.INI" test -f "$installdir/KADRA.INI"
check "uninstall removed the shortcuts" test ! -e "$menu"
check "uninstall removed the registry entries" \
  bash -c "! '$WINE' reg query 'HKCU\\Software\\Bexa and Kadra' >/dev/null 2>&1 &&
           ! grep -q 'Bexa and Kadra' <<<\"\$1\"" _ "$(uninstall_entries)"

# --- The portable zip in a folder with a space and non-ASCII letters.
zipdir="$work/Programme für Tests"
mkdir -p "$zipdir"
(cd "$zipdir" && unzip -q "$zip_file")
portable="$zipdir/bexa-kadra-$version"
start_in_folder() { # start_in_folder EXE CAPTION SHOT
  (cd "$portable" && "$WINE" "$1" >/dev/null 2>&1 &)
  wait_for_window "$2" || return 1
  sleep 2
  import -window root "$shots/$3" 2>/dev/null || true
}
check "bexa.exe from the zip opens its window" start_in_folder bexa.exe Bexa zip-bexa.png
check "bexa.exe closes" close_program bexa.exe Bexa
if [ $have_kadra = 1 ]; then
  check "kadra.exe from the zip opens its window" start_in_folder kadra.exe Kadra zip-kadra.png
  check "kadra.exe closes" close_program kadra.exe Kadra
fi

# --- Imports: our DLLs, or DLLs the system has (a fresh Wine prefix's system32).
system32=$WINEPREFIX/drive_c/windows/system32
objdump=$(command -v x86_64-w64-mingw32-objdump || command -v objdump)
foreign=""
for f in "$portable"/*.exe "$portable"/*.dll; do
  for dll in $("$objdump" -p "$f" | sed -n 's/^\s*DLL Name: //p'); do
    lower=$(echo "$dll" | tr 'A-Z' 'a-z')
    case $lower in travik.dll | travikw.dll | vorlu.dll | pelmou.dll) continue ;; esac
    case $lower in lib*.dll) foreign+=" $(basename "$f"):$dll"; continue ;; esac
    [ -n "$(find "$system32" -maxdepth 1 -iname "$lower" -print -quit)" ] ||
      foreign+=" $(basename "$f"):$dll"
  done
done
check "no DLL dependency outside the system's and ours (${foreign:-none})" test -z "$foreign"
unversioned=""
for f in "$portable"/*.exe "$portable"/*.dll; do
  strings -e l "$f" | grep -qx "$version" && strings -e l "$f" | grep -qx "Bexa and Kadra" ||
    unversioned+=" $(basename "$f")"
done
check "every program and DLL has the version resource (missing in:${unversioned:- none})" \
  test -z "$unversioned"
wine_session_end
trap - EXIT

# --- The Debian package on this machine.
if [ "$(id -u)" = 0 ]; then
  check "dpkg -i installs" dpkg -i "$deb"
  check "bexa list --machine embedded" bash -c "cd '$work' && /usr/bin/bexa list --machine embedded | grep -q 'host CPU'"
  check "kadra --version" bash -c "/usr/bin/kadra --version | grep -q 'kadra (Bexa and Kadra) $version'"
  check "man kadra" bash -c "MANPAGER=cat man kadra 2>/dev/null | grep -q '/etc/kadra/KADRA.INI'"
  check "system KADRA.INI installed" test -f /etc/kadra/KADRA.INI
  # With none beside /usr/bin/kadra and none of the user's, kadra reads the system's profiles
  # (an unknown product makes it list them).
  mkdir -p "$work/home"
  check "kadra reads /etc/kadra/KADRA.INI" \
    bash -c "HOME='$work/home' XDG_CONFIG_HOME= /usr/bin/kadra disk --dir '$work' --product none-such 2>&1 |
             grep -q '^  0 $(sed -n 's/^NAME=//p' kadra/KADRA.INI | head -1 | tr -d '\r')'"
  check "dpkg -r removes" dpkg -r bexa-kadra
  check "the programs are gone" test ! -e /usr/bin/bexa -a ! -e /usr/bin/kadra -a ! -e /usr/bin/tvkdump
  dpkg -P bexa-kadra >/dev/null 2>&1 || true
else
  echo "package-test: not root: the .deb checks are skipped"
fi

if [ $failures -gt 0 ]; then
  echo "package-test: $failures check(s) failed" >&2
  exit 1
fi
echo "package-test: all checks passed (screenshots in $shots)"
