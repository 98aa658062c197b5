#!/usr/bin/env bash
# The Windows Installer package under Wine, as an administrator uses it: silent install, the
# installed program started from its Start-menu shortcut, an upgrade to the next version over
# an edited varnel.ini, a repair, a refused downgrade, silent removal; then the company's
# varnel.ini given at installation, beside the package or named by VARNELINI. Runs in a Wine
# prefix of its own, made afresh for every run (BUILD/msi-wineprefix, removed again when every
# check passed), so nothing is left over from an earlier run and the tests' prefix never sees an
# install.
#
# Environment (set by ctest, see cmake/packaging.cmake):
#   VARNEL_BUILD_DIR, VARNEL_SOURCE_DIR   the build and source trees
#   VARNEL_VERSION, VARNEL_NEXT_VERSION   the package's program version and the next one
#   VARNEL_MSI, VARNEL_NEXT_MSI           the two packages
#   VARNEL_NEXT_EXE                       the varnel.exe inside the next package
#   VARNEL_MSI_CHECK                      msi_check.exe (starts the installed program)
#
# The rule for varnel.ini: a file given (VARNELINI, else a varnel.ini beside the package) is
# installed byte for byte, over an installed one too; a VARNELINI that cannot be read stops the
# installation. Without one, the package installs the sample only where there is no varnel.ini.
# No removal takes a varnel.ini away.
#
# VARNEL_PACKAGE_WINE (i686 or x86_64; default: i686 where this host runs it, else x86_64) says
# whose Wine installs the package. In a 64-bit prefix the 32-bit package lands where 64-bit
# Windows puts it: in "Program Files (x86)", with its uninstall entry in the 32-bit registry
# view. Starting the installed 32-bit program needs a host that runs 32-bit code; elsewhere those
# checks are skipped, saying why.
set -uo pipefail

for variable in VARNEL_BUILD_DIR VARNEL_SOURCE_DIR VARNEL_VERSION VARNEL_NEXT_VERSION VARNEL_MSI \
    VARNEL_NEXT_MSI VARNEL_NEXT_EXE VARNEL_MSI_CHECK; do
    if [ -z "${!variable:-}" ]; then
        echo "msi_test: $variable is not set (run through ctest)" >&2
        exit 2
    fi
done
. "$VARNEL_SOURCE_DIR/scripts/lib/wine-env"
if [ -z "${DISPLAY:-}" ]; then
    wine_xvfb "$0" "$@"
    exit
fi

arch=${VARNEL_PACKAGE_WINE:-}
if [ -z "$arch" ]; then
    arch=x86_64
    wine_runs i686 && arch=i686
fi
prefix=$VARNEL_BUILD_DIR/msi-wineprefix-$arch
work=$VARNEL_BUILD_DIR/msi-test-$arch
log=$work/wine.log
rm -rf "$prefix" "$work"
mkdir -p "$prefix" "$work"
wine_use "$arch" "$prefix" quiet || exit 1
echo "== Wine: $arch ($WINEARCH prefix $prefix)"

# One server of our own for this prefix, whatever runs for other prefixes; stopped at the end.
wine_server -p </dev/null >/dev/null 2>&1
stop_server() {
    wine_server -k 2>/dev/null
    wine_server -w 2>/dev/null
}
trap stop_server EXIT
if ! "$WINE" wineboot -i </dev/null >>"$log" 2>&1; then
    echo "msi_test: cannot create the Wine prefix $prefix; the last lines Wine printed:" >&2
    tail -n 15 "$log" | sed 's/^/    /' >&2
    exit 1
fi

. "$VARNEL_SOURCE_DIR/tests/package/checks.sh"

# --- Helpers ------------------------------------------------------------------------------------
# Z:\ is the whole Linux file system in every Wine prefix.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
# A C:\ path of the prefix as a Linux path.
linux_path() {
    local path=${1#[Cc]:}
    printf '%s/drive_c%s' "$prefix" "${path//\\//}"
}
quiet_wine() { "$WINE" "$@" </dev/null >>"$log" 2>&1; }
msiexec() { quiet_wine msiexec "$@"; }
# msi_property PACKAGE NAME: a row of the package's Property table.
msi_property() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v n="$2" '$1 == n { print $2 }'; }
# reg_value KEY NAME: a registry value's data, empty when it is missing.
reg_value() {
    "$WINE" reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
        awk -v n="$2" '$1 == n { sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]*/, ""); print; exit }'
}
key_exists() { "$WINE" reg query "$1" </dev/null >/dev/null 2>&1; }
uninstall_key() { printf '%s\\%s' "$uninstall" "$1"; }
# The number of entries named Varnel in the installed programs list.
varnel_entries() {
    "$WINE" reg query "$uninstall" /s </dev/null \
        2>/dev/null | tr -d '\r' | grep -cE '^[[:space:]]+DisplayName[[:space:]]+REG_SZ[[:space:]]+Varnel$'
}
# Windows Installer's registry form of a product code: each of the first three groups reversed,
# then each byte of the rest with its two digits swapped.
packed_code() {
    local hex=${1//[\{\}-]/} packed="" i
    for i in 7 6 5 4 3 2 1 0 11 10 9 8 15 14 13 12; do packed+=${hex:i:1}; done
    for ((i = 16; i < 32; i += 2)); do packed+=${hex:i+1:1}${hex:i:1}; done
    printf '%s' "$packed"
}
# The product version the package of program version major.minor.0.revision must carry.
msi_version() {
    local major minor revision
    IFS=. read -r major minor _ revision <<<"$1"
    printf '%s.%s.%s' "$major" "$minor" "$revision"
}
# The Start-menu shortcuts named Varnel.lnk anywhere in the prefix (all users' or the user's).
shortcuts() { find "$prefix/drive_c" -path '*/Start Menu/Programs/*' -name 'Varnel.lnk' 2>/dev/null; }
# run_installed: starts Varnel from its shortcut and keeps msi_check's report in $work/report.
run_installed() {
    local lnk
    lnk=$(shortcuts | head -n 1)
    [ -n "$lnk" ] || return 1
    "$WINE" "$(windows_path "$VARNEL_MSI_CHECK")" "$(windows_path "$lnk")" </dev/null 2>>"$log" |
        tr -d '\r' >"$work/report"
    return "${PIPESTATUS[0]}"
}
# shortcut_names PATH: the Start-menu shortcut's file holds PATH (as ANSI or UTF-16 text), for
# hosts where the program that reads it properly cannot run.
shortcut_names() {
    local lnk
    lnk=$(shortcuts | head -n 1)
    [ -n "$lnk" ] || return 1
    perl -0777 -ne 'BEGIN { $text = shift; $wide = join("\0", split(//, $text)) . "\0" }
        exit(index($_, $text) >= 0 || index($_, $wide) >= 0 ? 0 : 1)' "$1" "$lnk"
}
report() { awk -F= -v k="$1" '$1 == k { sub(/^[^=]*=/, ""); print }' "$work/report"; }
# The names the list should show for an ini file: its [Locations] entries, then "[Other]".
expected_locations() {
    tr -d '\r' <"$1" | awk '
        /^\[/ { inside = (tolower($0) == "[locations]"); next }
        inside && /=/ && !/^;/ { name = substr($0, 1, index($0, "=") - 1)
                                 if (!(tolower(name) in seen)) { seen[tolower(name)]; print name } }'
    echo "[Other]"
}

# Where a 32-bit package goes, and the registry view its uninstall entry is written to.
if [ "$WINEARCH" = win64 ]; then
    folder="C:\\Program Files (x86)\\Varnel"
    uninstall='HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall'
else
    folder="C:\\Program Files\\Varnel"
    uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
fi
exe=$(linux_path "$folder\\varnel.exe")
ini=$(linux_path "$folder\\varnel.ini")
built_exe=$VARNEL_BUILD_DIR/bin/varnel.exe
sample_ini=$VARNEL_SOURCE_DIR/resources/varnel.ini

# --- The packages -------------------------------------------------------------------------------
echo "== the packages"
code=$(msi_property "$VARNEL_MSI" ProductCode)
next_code=$(msi_property "$VARNEL_NEXT_MSI" ProductCode)
version=$(msi_version "$VARNEL_VERSION")
next_version=$(msi_version "$VARNEL_NEXT_VERSION")
same "product version of $VARNEL_VERSION" "$version" "$(msi_property "$VARNEL_MSI" ProductVersion)"
same "product version of $VARNEL_NEXT_VERSION" "$next_version" \
    "$(msi_property "$VARNEL_NEXT_MSI" ProductVersion)"
same "one upgrade code for both" "$(msi_property "$VARNEL_MSI" UpgradeCode)" \
    "$(msi_property "$VARNEL_NEXT_MSI" UpgradeCode)"
check "a product code per version" test -n "$code" -a -n "$next_code" -a "$code" != "$next_code"
same "installed for all users" 1 "$(msi_property "$VARNEL_MSI" ALLUSERS)"
IFS=$'\t' read -r attributes condition < <(msiinfo export "$VARNEL_MSI" Component | tr -d '\r' |
    awk -F'\t' '$1 == "Settings" && $6 == "varnel.ini" { print $4 "\t" $5 }')
check "varnel.ini's component is Permanent and NeverOverwrite" \
    test $((${attributes:-0} & 0x90)) -eq $((0x90))
# Windows Installer decides to copy the sample before it copies anything, so it would copy it over
# a given file; Wine decides only as it copies, and never shows that.
same "varnel.ini's component is installed only when no file is given" \
    "NOT VARNELINI AND NOT VARNELINIBESIDE" "$condition"

# --- Installation -------------------------------------------------------------------------------
echo "== silent installation of $VARNEL_VERSION"
check "msiexec /i /qn succeeds" msiexec /i "$(windows_path "$VARNEL_MSI")" /qn
check "varnel.exe in $folder is the built one" cmp -s "$built_exe" "$exe"
check "varnel.ini in $folder is the sample" cmp -s <(tr -d '\r' <"$ini") "$sample_ini"
same "one Start-menu shortcut" 1 "$(shortcuts | wc -l)"
key=$(uninstall_key "$code")
same "installed programs list: name" Varnel "$(reg_value "$key" DisplayName)"
same "installed programs list: version" "$version" "$(reg_value "$key" DisplayVersion)"
same "installed programs list: publisher" "The Varnel Authors" "$(reg_value "$key" Publisher)"
product_key="HKLM\\Software\\Classes\\Installer\\Products\\$(packed_code "$code")"
icon=$(reg_value "$product_key" ProductIcon)
check "installed programs list: the program's icon ($icon)" \
    cmp -s "$VARNEL_SOURCE_DIR/resources/varnel.ico" "$(linux_path "$icon")"

echo "== the installed program, from its shortcut"
if wine_runs i686; then
    check "starts, shows its window and ends on WM_CLOSE" run_installed
    same "shortcut target" "$folder\\varnel.exe" "$(report target)"
    same "shortcut working folder" "$folder" "$(report directory | sed 's/\\$//')"
    same "window title" Varnel "$(report window)"
    same "locations of the installed varnel.ini" "$(expected_locations "$sample_ini")" \
        "$(report location)"
    same "exit code" 0 "$(report exit)"
else
    skip "the installed 32-bit program starts from its shortcut" "$(wine_why_not i686)"
    check "the shortcut names $folder\\varnel.exe" shortcut_names "$folder\\varnel.exe"
fi

# --- Upgrade ------------------------------------------------------------------------------------
echo "== upgrade to $VARNEL_NEXT_VERSION over an edited varnel.ini"
printf '[Locations]\r\nOslo=OSLMX01\r\nLima=LIMMX01\r\n' >"$ini"
cp "$ini" "$work/edited.ini"
check "msiexec /i /qn succeeds" msiexec /i "$(windows_path "$VARNEL_NEXT_MSI")" /qn
check "varnel.exe is replaced by the next version's" cmp -s "$VARNEL_NEXT_EXE" "$exe"
check "the edited varnel.ini is kept" cmp -s "$work/edited.ini" "$ini"
# A repair that forces every file (Wine's msiexec has no /f for a package): a lost varnel.exe comes
# back, the edited varnel.ini stays.
rm -f "$exe"
check "a repair (REINSTALL=ALL REINSTALLMODE=amus) succeeds" \
    msiexec /i "$(windows_path "$VARNEL_NEXT_MSI")" REINSTALL=ALL REINSTALLMODE=amus /qn
check "... restores varnel.exe" cmp -s "$VARNEL_NEXT_EXE" "$exe"
check "... and keeps the edited varnel.ini" cmp -s "$work/edited.ini" "$ini"
same "one entry in the installed programs list" 1 "$(varnel_entries)"
same "the entry has the next version" "$next_version" \
    "$(reg_value "$(uninstall_key "$next_code")" DisplayVersion)"
check "the older version's entry is gone" fails key_exists "$(uninstall_key "$code")"
check "the older version is unregistered" fails key_exists "$product_key"
same "one Start-menu shortcut" 1 "$(shortcuts | wc -l)"
if wine_runs i686; then
    check "the upgraded program starts and ends" run_installed
    same "it lists the edited locations" "$(expected_locations "$work/edited.ini")" \
        "$(report location)"
else
    skip "the upgraded 32-bit program starts" "$(wine_why_not i686)"
fi

echo "== the older package over the newer one"
check "msiexec /i /qn fails" fails msiexec /i "$(windows_path "$VARNEL_MSI")" /qn
check "the newer varnel.exe stays" cmp -s "$VARNEL_NEXT_EXE" "$exe"
check "the older version is not listed" fails key_exists "$(uninstall_key "$code")"

# --- Removal ------------------------------------------------------------------------------------
echo "== silent removal"
check "msiexec /x /qn succeeds" msiexec /x "$(windows_path "$VARNEL_NEXT_MSI")" /qn
check "varnel.exe is removed" test ! -e "$exe"
same "the shortcut is removed" 0 "$(shortcuts | wc -l)"
same "no entry in the installed programs list" 0 "$(varnel_entries)"
check "the product is unregistered" \
    fails key_exists "HKLM\\Software\\Classes\\Installer\\Products\\$(packed_code "$next_code")"
check "the edited varnel.ini stays" cmp -s "$work/edited.ini" "$ini"

echo "== installation beside a varnel.ini left behind"
check "msiexec /i /qn succeeds" msiexec /i "$(windows_path "$VARNEL_MSI")" /qn
check "varnel.exe is installed" cmp -s "$built_exe" "$exe"
check "the varnel.ini there is not replaced" cmp -s "$work/edited.ini" "$ini"
check "msiexec /x /qn succeeds" msiexec /x "$code" /qn
check "varnel.exe is removed" test ! -e "$exe"

echo "== removal of an unedited sample"
rm -f "$ini"
check "msiexec /i /qn succeeds" msiexec /i "$(windows_path "$VARNEL_MSI")" /qn
check "the sample varnel.ini is installed" cmp -s <(tr -d '\r' <"$ini") "$sample_ini"
check "msiexec /x /qn succeeds" msiexec /x "$code" /qn
check "varnel.exe is removed" test ! -e "$exe"
check "varnel.ini stays" test -f "$ini"
same "no entry in the installed programs list" 0 "$(varnel_entries)"

# --- The company's varnel.ini, given at installation ---------------------------------------------
# A distribution share: both packages, and the company's varnel.ini beside them. Each version of
# the file is new (its server's digit), in the ANSI code page, with CRLF and no final line end.
share=$work/share
mkdir -p "$share"
cp "$VARNEL_MSI" "$VARNEL_NEXT_MSI" "$share/"
shared_msi=$(windows_path "$share/${VARNEL_MSI##*/}")
shared_next_msi=$(windows_path "$share/${VARNEL_NEXT_MSI##*/}")
company_ini() { printf '[Locations]\r\nZ\374rich=ZRHMX0%s\r\nOslo=OSLMX01' "$1" >"$2"; }
program_folder=$(linux_path "$folder")
rm -rf "$program_folder"

echo "== VARNELINI names a file that cannot be read"
check "msiexec /i VARNELINI=... /qn fails" fails msiexec /i "$shared_msi" \
    "VARNELINI=$(windows_path "$work/missing.ini")" /qn /l*v "$(windows_path "$work/missing.log")"
check "no program folder is left" test ! -e "$program_folder"
same "no entry in the installed programs list" 0 "$(varnel_entries)"
check "the log names the file" grep -aq "cannot read .*missing\.ini" "$work/missing.log"

echo "== a varnel.ini beside the package"
company_ini 1 "$share/varnel.ini"
check "msiexec /i /qn succeeds" msiexec /i "$shared_msi" /qn
check "the installed varnel.ini is the one beside the package, byte for byte" \
    cmp -s "$share/varnel.ini" "$ini"

echo "== upgrade with a new varnel.ini beside the next package"
company_ini 2 "$share/varnel.ini"
check "msiexec /i /qn succeeds" msiexec /i "$shared_next_msi" /qn
check "the installed varnel.ini is replaced by the new one, byte for byte" \
    cmp -s "$share/varnel.ini" "$ini"
check "msiexec /x /qn succeeds" msiexec /x "$shared_next_msi" /qn
check "the removal leaves that varnel.ini" cmp -s "$share/varnel.ini" "$ini"

echo "== VARNELINI, with a varnel.ini beside the package too"
rm -rf "$program_folder"
company_ini 3 "$work/given.ini"
check "msiexec /i VARNELINI=... /qn succeeds" \
    msiexec /i "$shared_msi" "VARNELINI=$(windows_path "$work/given.ini")" /qn
check "the installed varnel.ini is the file VARNELINI names, byte for byte" \
    cmp -s "$work/given.ini" "$ini"
check "msiexec /x /qn succeeds" msiexec /x "$code" /qn

if [ $failures -ne 0 ]; then
    finish "Wine's output: $log; the prefix is kept for a look"
fi
# The prefix is made afresh by the next run anyway: its space goes back now.
trap - EXIT
stop_server
rm -rf "$prefix"
finish
