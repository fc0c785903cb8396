#!/usr/bin/env bash
# Builds every release artefact into build/packages:
#   bexa-kadra-VERSION-x64.msi      Windows Installer package (per-user install), wixl
#   bexa-kadra-VERSION-win64.zip    the same program folder as a portable zip
#   bexa-kadra_VERSION_amd64.deb    the native programs for Debian, CPack
# The Win32 files come from the windows preset's build (build/windows); the native programs
# from an optimised build without sanitizers (build/release, installed under /usr).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash tools/setup.sh
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-/work} CMAKE_CXX_COMPILER_LAUNCHER=ccache \
         CMAKE_C_COMPILER_LAUNCHER=ccache
fi

out=$root/build/packages
work=$root/build/package-work
rm -rf "$out" "$work"
mkdir -p "$out" "$work"

# --- Windows: one program folder, then the MSI and the zip made from it.
cmake --preset windows >/dev/null
cmake --build --preset windows --target bk_release_files
version=$(sed -n 's/^#define BK_VERSION_TEXT "\(.*\)"$/\1/p' build/windows/generated/bk_version.h)
stage=$work/windows
cmake --install build/windows --prefix "$stage" --strip >/dev/null
cp bexa/ui/res/bexa.ico "$work/"

# wixl takes file paths relative to its working folder. Every file of the program folder but
# KADRA.INI, which the main source declares itself, comes from wixl-heat.
msi=$out/bexa-kadra-$version-x64.msi
(
  cd "$work"
  find windows -type f ! -path windows/KADRA.INI | LC_ALL=C sort |
    wixl-heat -p windows/ --component-group ProgramFiles --var var.StageDir \
              --directory-ref INSTALLDIR --win64 >files.wxs
  wixl -a x64 -D StageDir=windows -D IconFile=bexa.ico -D Win64=yes -o "$msi" \
       "$root/build/windows/generated/bexa-kadra.wxs" files.wxs
)
# KADRA.INI holds the user's settings: a permanent (16) 64-bit (256) component, so that an
# uninstall leaves it.
msibuild "$msi" -q "UPDATE Component SET Attributes = 272 WHERE Component = 'KadraIni'"
echo "package: $msi"

zipdir=$work/zip/bexa-kadra-$version
mkdir -p "$zipdir"
cp -r "$stage"/. "$zipdir"/
zip_file=$out/bexa-kadra-$version-win64.zip
(cd "$work/zip" && zip -q -r -X "$zip_file" "bexa-kadra-$version")
echo "package: $zip_file"

# --- Debian: the native programs, their manual pages and /etc/kadra/KADRA.INI.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBK_TESTS=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build/release -j2
(cd build/release && cpack -G DEB -B "$work/deb" >/dev/null)
mv "$work"/deb/*.deb "$out"/
echo "package: $(ls "$out"/*.deb)"
