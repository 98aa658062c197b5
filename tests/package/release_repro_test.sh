#!/usr/bin/env bash
# Usage: release_repro_test.sh WORK   (scripts/test passes build/release-test)
# The release is reproducible: two fresh copies of the sources, in folders of different names
# and depths, each made into a release by its own scripts/package one after the other (so at
# different times) and under different umasks, give the same varnel.exe and ZIP, byte for byte,
# and Windows Installer packages that differ in nothing but what wixl takes from the clock and
# chance (README.md, "Releases"). Copy A is a git checkout whose last commit sets the dates;
# copy B has no git and is given SOURCE_DATE_EPOCH. Both copies stay in WORK (signing_test.sh
# signs in copy B).
set -uo pipefail
work=${1:?usage: release_repro_test.sh WORK}
. "$(dirname "$0")/release_fixture.sh"

mkdir -p "$work"
work=$(cd "$work" && pwd)
# msiinfo writes a table's binary columns (the package's icon) below the current folder.
cd "$work"
a=$work/a/varnel
b=$work/copy-b/in/another/folder/varnel
rm -rf "$work/a" "$work/copy-b"
release_copy "$a"
release_copy "$b"

epoch=$release_epoch
git -C "$a" init -q
git -C "$a" add -A
GIT_AUTHOR_DATE="@$epoch +0000" GIT_COMMITTER_DATE="@$epoch +0000" \
    git -C "$a" -c user.name=Varnel -c user.email=varnel@invalid commit -q -m "release test"

started=$SECONDS
if ! (umask 0022 && release_build "$a" -u SOURCE_DATE_EPOCH); then
    cat "$a.log"
    echo "FAIL scripts/package in $a"
    exit 1
fi
if ! (umask 0077 && release_build "$b" SOURCE_DATE_EPOCH="$epoch"); then
    cat "$b.log"
    echo "FAIL scripts/package in $b"
    exit 1
fi
echo "two releases built in $((SECONDS - started)) s"

pa=$a/build/package
pb=$b/build/package
for sums in "$pa/SHA256SUMS" "$pb/SHA256SUMS"; do
    echo "$sums:"
    sed 's/^/  /' "$sums"
done
zip=$(cd "$pa" && ls Varnel-*-win32.zip)
msi=$(cd "$pa" && ls Varnel-*-win32.msi)

check "SHA256SUMS: the same lines for varnel.exe and $zip" \
    cmp -s <(grep -v '\.msi$' "$pa/SHA256SUMS") <(grep -v '\.msi$' "$pb/SHA256SUMS")
check "SHA256SUMS lists the three files" test "$(wc -l <"$pa/SHA256SUMS")" -eq 3
check "varnel.exe: the same bytes" cmp -s "$pa/varnel.exe" "$pb/varnel.exe"
check "$zip: the same bytes" cmp -s "$pa/$zip" "$pb/$zip"

# ZIP entries hold local time (the archiver runs in UTC) in steps of two seconds, rounded up.
want=$(date -u -d "@$((epoch + epoch % 2))" +%Y%m%d.%H%M%S)
check "$zip: every entry dated the last commit's time ($want)" \
    test "$(zipinfo -T "$pa/$zip" | awk '$1 ~ /^-/ { print $7 }' | sort -u)" = "$want"

# Everything of a package but its summary information's package code ("Revision number") and
# creation and last-saved times: every other summary field, every table, every stream.
msi_content() {
    local table stream
    msiinfo suminfo "$1" | grep -vE '^(Revision number|Created|Last saved)'
    for table in $(msiinfo tables "$1" | LC_ALL=C sort); do
        [ "$table" = _SummaryInformation ] && continue
        echo "== table $table"
        msiinfo export "$1" "$table"
    done
    for stream in $(msiinfo streams "$1" | LC_ALL=C sort); do
        [[ $stream == *SummaryInformation ]] && continue # its name starts with \005
        echo "== stream $stream $(msiinfo extract "$1" "$stream" | sha256sum)"
    done
}
check "$msi: the same tables, streams and summary but for package code and times" \
    cmp -s <(msi_content "$pa/$msi") <(msi_content "$pb/$msi")
# Nor anything the tables and streams do not show (the compound file's own records): at most the
# 32 digits of the package code and the two 8-byte times.
check "$msi: no other byte differs" test "$(cmp -l "$pa/$msi" "$pb/$msi" | wc -l)" -le 48

finish
