#!/usr/bin/env bash
# The portable ZIP as CPack makes it from this build tree: its name, exactly its three files in
# one folder, varnel.exe as built, the sample varnel.ini and README.txt with Windows line ends,
# and a README that quotes the program's messages as the program shows them.
#
# Environment (set by ctest, see cmake/packaging.cmake): VARNEL_BUILD_DIR, VARNEL_SOURCE_DIR,
# VARNEL_VERSION (the program's version), VARNEL_CPACK (the cpack program).
set -uo pipefail

for variable in VARNEL_BUILD_DIR VARNEL_SOURCE_DIR VARNEL_VERSION VARNEL_CPACK; do
    if [ -z "${!variable:-}" ]; then
        echo "zip_test: $variable is not set (run through ctest)" >&2
        exit 2
    fi
done

work=$VARNEL_BUILD_DIR/zip-test
rm -rf "$work"
mkdir -p "$work/out" "$work/unpacked"

. "$VARNEL_SOURCE_DIR/tests/package/checks.sh"
# Every line of the file ends in CR LF.
crlf_only() { [ -s "$1" ] && ! grep -qv $'\r$' "$1"; }

name=Varnel-$VARNEL_VERSION-win32
# The tree's install rules run as the tree's own install script: cpack would otherwise build the
# whole tree first, while other tests run its programs.
if ! (cd "$work" && "$VARNEL_CPACK" -G ZIP --config "$VARNEL_BUILD_DIR/CPackConfig.cmake" \
    -B "$work" -D CPACK_OUTPUT_FILE_PREFIX="$work/out" -D CPACK_INSTALL_CMAKE_PROJECTS= \
    -D CPACK_INSTALL_SCRIPTS="$VARNEL_BUILD_DIR/cmake_install.cmake") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL cpack"
    exit 1
fi
zip=$work/out/$name.zip
check "the package is $name.zip" test -f "$zip"
check "the only package written" test "$(ls "$work/out")" = "$name.zip"
unzip -q "$zip" -d "$work/unpacked"
listing=$(cd "$work/unpacked" && find . -type f | sort)
check "it holds $name/{README.txt,varnel.exe,varnel.ini} and nothing else" test "$listing" = \
    "$(printf './%s/README.txt\n./%s/varnel.exe\n./%s/varnel.ini' "$name" "$name" "$name")"
folder=$work/unpacked/$name
check "varnel.exe is the built program" cmp -s "$VARNEL_BUILD_DIR/bin/varnel.exe" "$folder/varnel.exe"
check "varnel.ini is the commented sample" \
    cmp -s <(tr -d '\r' <"$folder/varnel.ini") "$VARNEL_SOURCE_DIR/resources/varnel.ini"
check "varnel.ini has CR LF line ends" crlf_only "$folder/varnel.ini"
check "README.txt is the user's readme" \
    cmp -s <(tr -d '\r' <"$folder/README.txt") "$VARNEL_SOURCE_DIR/packaging/README.txt"
check "README.txt has CR LF line ends" crlf_only "$folder/README.txt"

# The messages, read from the program's source, must appear word for word in the readme.
messages=$(perl -0ne 'while (/k\w+Message\s*=\s*"([^"]*)"/g) { print "$1\n" }' \
    "$VARNEL_SOURCE_DIR/launcher/launch_sequence.h")
check "three messages found in the program's source" test "$(printf '%s\n' "$messages" | wc -l)" -eq 3
while IFS= read -r message; do
    check "README.txt quotes \"$message\"" grep -qF "\"$message\"" "$folder/README.txt"
done <<<"$messages"

finish
