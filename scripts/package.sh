#!/usr/bin/env bash
# Makes the release from the committed sources, in a build folder of its own
# made anew, into build/dist/:
#   Vitrane-<version>-setup.exe   the installer
#   Vitrane-<version>-win64.zip   Vitrane.scr, README.txt, LICENSE.txt
#   SHA256SUMS                    for sha256sum -c
# Two runs on the same commit, from any folder, give the same Vitrane.scr and
# the same files byte for byte: every date is the commit's and no build
# folder is written into them.
#
# With VITRANE_SIGN_PFX (a PKCS#12 certificate file) and VITRANE_SIGN_PASSWORD,
# Vitrane.scr and the installer are signed; VITRANE_SIGN_TIMESTAMP_URL adds a
# time-stamp server (the signature then depends on it and is no longer
# reproducible).
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
release_packages=(cmake ninja-build mingw-w64 g++-mingw-w64-x86-64-posix nsis zip git)
[ -n "${VITRANE_SIGN_PFX:-}" ] && release_packages+=(osslsigncode)
install_missing_packages "${release_packages[@]}"

if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "Warning: uncommitted changes are packaged too; the dates remain the last commit's." >&2
fi
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
# zip writes local times.
export TZ=UTC

build=build/release
dist=build/dist
rm -rf "$build" "$dist"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVITRANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target Vitrane -j 2
version=$(sed -n 's/^#define VITRANE_VERSION_TEXT "\(.*\)"$/\1/p' "$build/generated/vitrane_version.h")
[ -n "$version" ] || { echo "No version in $build/generated/vitrane_version.h" >&2; exit 1; }

# sign FILE: signed in place when a certificate is given.
sign() {
    [ -n "${VITRANE_SIGN_PFX:-}" ] || return 0
    local timestamp=()
    [ -n "${VITRANE_SIGN_TIMESTAMP_URL:-}" ] && timestamp=(-ts "$VITRANE_SIGN_TIMESTAMP_URL")
    # The signing time is the commit's, so that the signature is the same at
    # each run.
    osslsigncode sign -pkcs12 "$VITRANE_SIGN_PFX" -pass "${VITRANE_SIGN_PASSWORD:-}" \
        -n Vitrane -h sha256 -time "$SOURCE_DATE_EPOCH" "${timestamp[@]}" \
        -in "$1" -out "$1.signed" >/dev/null
    mv "$1.signed" "$1"
}

# Each file the release holds, as it holds it: fixed dates and modes.
stage=$build/stage
mkdir -p "$stage" "$dist"
cp "$build/Vitrane.scr" "$stage/Vitrane.scr"
sign "$stage/Vitrane.scr"
# Windows programs show text files with CRLF line ends best.
sed "s/@VERSION@/$version/; s/\$/\r/" res/README.txt >"$stage/README.txt"
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
chmod 644 "$stage"/*
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

setup=$dist/Vitrane-$version-setup.exe
makensis -V2 -DVERSION="$version" -DPROGRAM="$PWD/$stage/Vitrane.scr" -DOUTFILE="$PWD/$setup" res/installer.nsi
sign "$setup"

# -X: no owners or extra time fields; the names in a fixed order.
(cd "$stage" && zip -X -q -9 "$OLDPWD/$dist/Vitrane-$version-win64.zip" Vitrane.scr README.txt LICENSE.txt)

(cd "$dist" && sha256sum "Vitrane-$version-setup.exe" "Vitrane-$version-win64.zip" >SHA256SUMS)
if [ -n "${VITRANE_SIGN_PFX:-}" ]; then
    echo "Signed Vitrane.scr and the installer with $VITRANE_SIGN_PFX."
else
    echo "Nothing is signed: give VITRANE_SIGN_PFX and VITRANE_SIGN_PASSWORD to sign."
fi
echo "Release $version of commit $(git rev-parse --short HEAD) in $dist:"
cat "$dist/SHA256SUMS"
