#!/usr/bin/env bash
# Makes the MSI for administrators from res/vitrane.wxs with wixl:
#   scripts/make-msi.sh PROGRAM VERSION OUTFILE
# PROGRAM is the Vitrane.scr it installs. The same PROGRAM and VERSION give
# the same bytes: the product code comes from the version, and the package
# code and the dates that wixl takes from chance and the clock are replaced by
# ones derived from what is packaged and from PROGRAM's time stamp.
set -eu
program=$1 version=$2
out=$(realpath -m "$3")
repo=$(cd "$(dirname "$0")/.." && pwd)
# The cabinet keeps local times.
export TZ=UTC

# guid NAME: a GUID that NAME alone determines (SHA-1, in the form of a
# name-based UUID).
guid() {
    local hash
    hash=$(printf '%s' "$1" | sha1sum)
    printf '%s-%s-5%s-%x%s-%s\n' "${hash:0:8}" "${hash:8:4}" "${hash:13:3}" \
        $((0x${hash:16:1} & 3 | 8)) "${hash:17:3}" "${hash:20:12}" | tr a-f A-F
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# wixl looks for Source= files in the folder it runs in.
cp -p "$program" "$work/Vitrane.scr"
cp -p "$repo/res/vitrane.ico" "$work/vitrane.ico"
(cd "$work" && wixl -a x64 -D Version="$version" -D ProductCode="$(guid "Vitrane $version x64")" \
    -o "$out" "$repo/res/vitrane.wxs")

# Summary information 9 is the package code, 12 and 13 are the times of
# creation and of the last save.
package=$(guid "$version $(cat "$work/Vitrane.scr" "$work/vitrane.ico" "$repo/res/vitrane.wxs" | sha256sum)")
time=$(date -r "$program" '+%Y/%m/%d %H:%M:%S')
msiinfo export "$out" _SummaryInformation |
    sed "s|^9\t.*|9\t{$package}|; s|^\(1[23]\)\t.*|\1\t$time|" >"$work/_SummaryInformation.idt"
msibuild "$out" -i "$work/_SummaryInformation.idt"
