#!/usr/bin/env bash
# Makes the release from the committed sources, in a build folder of its own
# made anew, into build/dist/:
#   Vitrane-<version>-setup.exe        the installer
#   Vitrane-<version>-x64.msi          the MSI for administrators
#   Vitrane-<version>-win64.zip        Vitrane.scr, README.txt, LICENSE.txt and
#                                      the Group Policy templates
#   policy/...                         the Group Policy templates
#   Vitrane-<version>-build-info.txt   the commit and the versions of the tools
#                                      that made the bytes
#   SHA256SUMS                         for sha256sum -c
# It refuses to run while the tree holds changes that are not committed. Two
# runs on the same commit, from any folder, with the same tools give the same
# files byte for byte: every date is the commit's and no build folder is
# written into them.
#
# With VITRANE_SIGN_PFX (a PKCS#12 certificate file) and VITRANE_SIGN_PASSWORD,
# Vitrane.scr, the installer, its uninstaller and the MSI are signed;
# VITRANE_SIGN_TIMESTAMP_URL adds a time-stamp server (the signature then
# depends on it and is no longer reproducible).
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
release_packages=(cmake ninja-build mingw-w64 g++-mingw-w64-x86-64-posix nsis wixl msitools zip git)
# The packages whose versions shape the bytes: compiler and its runtime,
# binutils, Windows headers and import libraries, the installer's compiler
# and stubs, the MSI's builder and cabinet, zip.
shaping_packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    mingw-w64-x86-64-dev nsis nsis-common wixl wixl-data msitools libmsi0 libgcab-1.0-0 zip)
if [ -n "${VITRANE_SIGN_PFX:-}" ]; then
    release_packages+=(osslsigncode)
    shaping_packages+=(osslsigncode)
fi
install_missing_packages "${release_packages[@]}"

changes=$(git status --porcelain --untracked-files=all)
if [ -n "$changes" ]; then
    echo "A release is made from committed sources only; commit or remove these changes first:" >&2
    echo "$changes" >&2
    exit 1
fi
commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
# zip and the MSI's cabinet write local times.
export TZ=UTC

build=build/release
dist=build/dist
rm -rf "$build" "$dist"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVITRANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target Vitrane -j 2
version=$(sed -n 's/^#define VITRANE_VERSION_TEXT "\(.*\)"$/\1/p' "$build/generated/vitrane_version.h")
[ -n "$version" ] || { echo "No version in $build/generated/vitrane_version.h" >&2; exit 1; }

# $build/sign FILE signs FILE in place; makensis runs it on the uninstaller it
# writes. The password goes to osslsigncode in a file only this user reads,
# never on a command line, where any user's ps would show it. The signing
# time is the commit's, so that the signature is the same at each run.
nsis_sign=()
sign() { :; }
if [ -n "${VITRANE_SIGN_PFX:-}" ]; then
    password_file=$PWD/$build/sign-password
    trap 'rm -f "$password_file"' EXIT
    (umask 077 && printf '%s' "${VITRANE_SIGN_PASSWORD:-}" >"$password_file")
    timestamp=""
    [ -n "${VITRANE_SIGN_TIMESTAMP_URL:-}" ] && timestamp="-ts $(printf '%q' "$VITRANE_SIGN_TIMESTAMP_URL")"
    cat >"$build/sign" <<EOF
#!/bin/sh
set -e
osslsigncode sign -pkcs12 $(printf '%q' "$(realpath "$VITRANE_SIGN_PFX")") -readpass $(printf '%q' "$password_file") \\
    -n Vitrane -h sha256 -time $SOURCE_DATE_EPOCH $timestamp -in "\$1" -out "\$1.signed" >/dev/null
mv "\$1.signed" "\$1"
EOF
    chmod 755 "$build/sign"
    nsis_sign=(-DSIGN_COMMAND="$PWD/$build/sign")
    sign() { "$build/sign" "$1"; }
fi

# Each file the release holds, as it holds it: fixed dates and modes.
stage=$build/stage
mkdir -p "$stage" "$dist"
cp "$build/Vitrane.scr" "$stage/Vitrane.scr"
sign "$stage/Vitrane.scr"
# Windows programs show text files with CRLF line ends best.
sed "s/@VERSION@/$version/; s/\$/\r/" res/README.txt >"$stage/README.txt"
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
# The Group Policy templates as they are, in their folders under policy/.
policy=()
while IFS= read -r file; do
    policy+=("policy/${file#res/policy/}")
    mkdir -p "$(dirname "$stage/${policy[-1]}")"
    cp "$file" "$stage/${policy[-1]}"
done < <(git ls-files res/policy | LC_ALL=C sort)
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -exec touch -d "@$SOURCE_DATE_EPOCH" {} +

setup=Vitrane-$version-setup.exe
makensis -V2 -DVERSION="$version" -DPROGRAM="$PWD/$stage/Vitrane.scr" -DOUTFILE="$PWD/$dist/$setup" \
    "${nsis_sign[@]}" res/installer.nsi
sign "$dist/$setup"

msi=Vitrane-$version-x64.msi
bash scripts/make-msi.sh "$stage/Vitrane.scr" "$version" "$dist/$msi"
sign "$dist/$msi"

# -X: no owners or extra time fields; -D: no folder entries; the names in a
# fixed order.
zip=Vitrane-$version-win64.zip
(cd "$stage" && zip -X -D -q -9 "$OLDPWD/$dist/$zip" Vitrane.scr README.txt LICENSE.txt "${policy[@]}")
[ ${#policy[@]} -eq 0 ] || (cd "$stage" && cp --parents -p "${policy[@]}" "$OLDPWD/$dist/")

build_info=Vitrane-$version-build-info.txt
{
    echo "Vitrane $version"
    echo "Commit: $commit"
    echo "SOURCE_DATE_EPOCH: $SOURCE_DATE_EPOCH"
    echo "Signed: $([ -n "${VITRANE_SIGN_PFX:-}" ] && echo yes || echo no)"
    echo "Debian packages:"
    dpkg-query -W -f='  ${Package} ${Version}\n' "${shaping_packages[@]}"
} >"$dist/$build_info"

(cd "$dist" && sha256sum "$setup" "$msi" "$zip" "$build_info" "${policy[@]}" >SHA256SUMS)
if [ -n "${VITRANE_SIGN_PFX:-}" ]; then
    echo "Signed Vitrane.scr, the installer, its uninstaller and the MSI with $VITRANE_SIGN_PFX."
else
    echo "Nothing is signed: give VITRANE_SIGN_PFX and VITRANE_SIGN_PASSWORD to sign."
fi
echo "Release $version of commit $(git rev-parse --short HEAD) in $dist:"
cat "$dist/SHA256SUMS"
