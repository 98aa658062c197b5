#!/usr/bin/env bash
# Usage: signing_test.sh WORK   (scripts/test passes build/release-test)
# Signed releases, with a throwaway self-signed code-signing certificate made here (openssl), in
# the copy of the sources that release_repro_test.sh built in WORK (made and built here when it
# is missing): scripts/package signs varnel.exe before packing it and then the MSI; both
# signatures verify against the certificate and fail once a byte is changed; removing the
# signature gives the unsigned program byte for byte; a wrong password, an unreadable certificate
# or a signature that does not verify fails the run with a message naming the file and leaves no
# package in build/package/. Under Wine, in a prefix of its own made afresh: the signed program
# starts and shows its window with the version resource of the unsigned one, and the signed MSI
# installs and removes.
set -uo pipefail
work=${1:?usage: signing_test.sh WORK}
. "$(dirname "$0")/release_fixture.sh"
. "$release_source/scripts/lib/wine-env"
if [ -z "${DISPLAY:-}" ]; then
    wine_xvfb "$0" "$@"
    exit
fi

mkdir -p "$work"
work=$(cd "$work" && pwd)
export SOURCE_DATE_EPOCH=$release_epoch
tree=$work/copy-b/in/another/folder/varnel
out=$tree/build/package
keys=$work/signing
rm -rf "$keys"
mkdir -p "$keys"

# --- The certificates ---------------------------------------------------------------------------
# make_certificate NAME EXTENDED_KEY_USAGE: NAME.pem, and NAME.p12 with the password in password.
printf 'correct horse\n' >"$keys/password"
printf 'wrong horse\n' >"$keys/wrong-password"
make_certificate() {
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Varnel test $1" \
        -addext "extendedKeyUsage=$2" -addext "keyUsage=digitalSignature" \
        -keyout "$keys/$1.key" -out "$keys/$1.pem" 2>/dev/null &&
        openssl pkcs12 -export -inkey "$keys/$1.key" -in "$keys/$1.pem" -out "$keys/$1.p12" \
            -passout "file:$keys/password"
}
if ! make_certificate signer codeSigning || ! make_certificate server serverAuth; then
    echo "FAIL cannot make the test certificates with openssl"
    exit 1
fi
signer=(VARNEL_SIGN_PKCS12="$keys/signer.p12" VARNEL_SIGN_PASSWORD_FILE="$keys/password")

# Succeeds when the file's signature verifies against the test certificate.
verifies() { osslsigncode verify -CAfile "$keys/signer.pem" -in "$1" >/dev/null 2>&1; }
# A copy of FILE with the byte at OFFSET changed.
changed_copy() {
    local byte
    cp "$1" "$3"
    byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
    printf "\\$(printf '%03o' $(((byte + 1) % 256)))" | dd of="$3" bs=1 seek="$2" conv=notrunc 2>/dev/null
}
# fails_with NAME=VALUE...: scripts/package fails with that environment.
fails_with() { ! release_build "$tree" "$@"; }
no_packages() { test -z "$(release_packages "$tree")"; }

# --- Unsigned, then signed ----------------------------------------------------------------------
echo "== scripts/package without a certificate, then with one"
release_copy "$tree"
if ! release_build "$tree" -u VARNEL_SIGN_PKCS12 -u VARNEL_SIGN_PASSWORD_FILE; then
    cat "$tree.log"
    echo "FAIL scripts/package in $tree"
    exit 1
fi
check "unsigned: says so in one line" test "$(grep -c 'unsigned release' "$tree.log")" -eq 1
mkdir -p "$keys/unsigned"
cp "$out/varnel.exe" "$keys/unsigned/varnel.exe"
check "unsigned: varnel.exe carries no signature" fails verifies "$out/varnel.exe"

check "signed: scripts/package succeeds" release_build "$tree" "${signer[@]}"
grep '^sign: ' "$tree.log"
zip=$(cd "$out" && ls Varnel-*-win32.zip 2>/dev/null)
msi=$(cd "$out" && ls Varnel-*-win32.msi 2>/dev/null)
check "signed: varnel.exe verifies against the certificate" verifies "$out/varnel.exe"
check "signed: $msi verifies against the certificate" verifies "$out/$msi"
osslsigncode verify -CAfile "$keys/signer.pem" -in "$out/varnel.exe" 2>&1 |
    grep -E 'Message digest algorithm|Subject:|Signature verification' | sort -u | sed 's/^[[:space:]]*/  /'
check "signed: SHA256SUMS matches the signed files" bash -c "cd '$out' && sha256sum --quiet -c SHA256SUMS"
check "signed: $zip holds the signed varnel.exe" \
    cmp -s "$out/varnel.exe" <(unzip -p "$out/$zip" "${zip%.zip}/varnel.exe")
# msiextract writes the package's icon below the current folder, whatever -C says.
rm -rf "$keys/msi"
mkdir -p "$keys/msi"
(cd "$keys/msi" && msiextract -C . "$out/$msi" >/dev/null 2>&1)
check "signed: $msi holds the signed varnel.exe" \
    cmp -s "$out/varnel.exe" "$keys/msi/Program Files/Varnel/varnel.exe"

changed_copy "$out/varnel.exe" 1024 "$keys/changed.exe"
check "a copy of varnel.exe with one byte changed fails verification" fails verifies "$keys/changed.exe"
# A byte inside the embedded cabinet, which is one of the package's streams.
cab=$(grep -abo MSCF "$out/$msi" | head -n 1 | cut -d: -f1)
changed_copy "$out/$msi" $((cab + 200)) "$keys/changed.msi"
check "a copy of $msi with one byte changed fails verification" fails verifies "$keys/changed.msi"

osslsigncode remove-signature -in "$out/varnel.exe" -out "$keys/removed.exe" >/dev/null 2>&1
check "the signature removed, varnel.exe is the unsigned program byte for byte" \
    cmp -s "$keys/removed.exe" "$keys/unsigned/varnel.exe"
cp "$out/varnel.exe" "$keys/signed.exe"
cp "$out/$msi" "$keys/signed.msi"

# --- Failures -----------------------------------------------------------------------------------
echo "== scripts/package with a certificate that does not do"
check "a certificate whose signatures do not verify fails the run" \
    fails_with VARNEL_SIGN_PKCS12="$keys/server.p12" VARNEL_SIGN_PASSWORD_FILE="$keys/password"
check "... saying so, naming varnel.exe" \
    grep -q "signature of .*varnel.exe does not verify against the certificate $keys/server.p12" "$tree.log"
check "... and no package is left in build/package" no_packages

release_build "$tree" "${signer[@]}" || echo "FAIL signed again"
check "a wrong password fails the run" \
    fails_with VARNEL_SIGN_PKCS12="$keys/signer.p12" VARNEL_SIGN_PASSWORD_FILE="$keys/wrong-password"
check "... saying so, naming the certificate file" \
    grep -q "cannot open the certificate file $keys/signer.p12 with the password in $keys/wrong-password" \
    "$tree.log"
check "... and no package is left in build/package" no_packages
check "an unreadable certificate fails the run" \
    fails_with VARNEL_SIGN_PKCS12="$keys/missing.p12" VARNEL_SIGN_PASSWORD_FILE="$keys/password"
check "... saying so, naming the file" grep -q "cannot read the certificate file $keys/missing.p12" "$tree.log"

# --- Under Wine ---------------------------------------------------------------------------------
arches=$(wine_arches) || exit 1
arch=${arches%% *}
version=$(sed -n 's/^set(VARNEL_VERSION \(.*\))$/\1/p' "$tree/build/package-mingw/packaging/package_settings.cmake")
start=$keys/start
mkdir -p "$start/unsigned" "$start/signed"
if [ "$arch" = i686 ]; then
    echo "== the signed release varnel.exe (32-bit) under $arch Wine"
    cp "$keys/unsigned/varnel.exe" "$start/unsigned/varnel.exe"
    cp "$keys/signed.exe" "$start/signed/varnel.exe"
else
    why=$(wine_why_not i686)
    wine_runs i686 && why="VARNEL_WINE_ARCHES=\"$VARNEL_WINE_ARCHES\" leaves out i686"
    skip "the signed 32-bit release program starts" "$why"
    echo "== instead: the 64-bit build of the same sources, signed by scripts/lib/sign as the" \
        "release is, under $arch Wine"
    build_exe=$release_source/build/mingw-$arch/bin/varnel.exe
    cp "$build_exe" "$start/unsigned/varnel.exe" && cp "$build_exe" "$start/signed/varnel.exe"
    check "build/mingw-$arch/bin/varnel.exe signed by scripts/lib/sign" \
        env "${signer[@]}" "$release_source/scripts/lib/sign" "$start/signed/varnel.exe"
    check "... it verifies against the certificate" verifies "$start/signed/varnel.exe"
fi
cp "$release_source/resources/varnel.ini" "$start/unsigned/varnel.ini"
cp "$release_source/resources/varnel.ini" "$start/signed/varnel.ini"

prefix=$work/signing-wineprefix
rm -rf "$prefix"
mkdir -p "$prefix"
wine_use "$arch" "$prefix" quiet || exit 1
wine_server -p </dev/null >/dev/null 2>&1
stop_server() {
    wine_server -k 2>/dev/null
    wine_server -w 2>/dev/null
}
trap stop_server EXIT
"$WINE" wineboot -i </dev/null >>"$keys/wine.log" 2>&1
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
# report FOLDER: what msi_check saw of FOLDER's varnel.exe, but the paths.
report() {
    "$WINE" "$release_source/build/mingw-$arch/bin/msi_check.exe" \
        "$(windows_path "$1/varnel.exe")" </dev/null 2>>"$keys/wine.log" | tr -d '\r' |
        grep -vE '^(target|directory)=' >"$1/report"
}
check "the unsigned program starts, shows its window and ends" report "$start/unsigned"
check "the signed program starts, shows its window and ends" report "$start/signed"
check "... its window and version resource as the unsigned one's ($version)" \
    cmp -s "$start/unsigned/report" "$start/signed/report"
check "... its version resource gives $version" grep -qx "version=$version" "$start/signed/report"
check "... its window is Varnel's" grep -qx "window=Varnel" "$start/signed/report"

echo "== the signed $msi under $arch Wine"
installed() { find "$prefix/drive_c" -ipath '*/Varnel/varnel.exe' 2>/dev/null | head -n 1; }
msiexec() { "$WINE" msiexec "$@" </dev/null >>"$keys/wine.log" 2>&1; }
check "msiexec /i /qn installs it" msiexec /i "$(windows_path "$keys/signed.msi")" /qn
check "... the installed varnel.exe is the signed one" cmp -s "$keys/signed.exe" "$(installed)"
check "msiexec /x /qn removes it" msiexec /x "$(windows_path "$keys/signed.msi")" /qn
check "... varnel.exe is gone" test -z "$(installed)"

finish
