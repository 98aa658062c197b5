# Sourced by the release tests (release_repro_test.sh, signing_test.sh): copies of the sources,
# each made into a release by its own scripts/package, as a fresh clone would be, and the checks'
# bookkeeping.
#
#   release_epoch             the dates of the copies' releases: the sources' last commit's time
#   release_copy DEST         makes DEST a copy of the sources beside this file's tree (what a
#                             clone holds plus local changes: no build/, no .git); a copy made
#                             earlier is updated in place and keeps its build tree
#   release_build DEST [NAME=VALUE...]
#                             runs DEST/scripts/package with those environment variables added;
#                             its output goes to DEST.log; fails as it fails
#   release_packages DEST     lists the release files in DEST/build/package
#   check DESCRIPTION COMMAND...   ok when COMMAND succeeds; counts failures in $failures
#   fails COMMAND...          succeeds when COMMAND fails
#   finish                    prints the outcome; exits 1 when a check failed

release_source=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
release_epoch=$(git -C "$release_source" log -1 --format=%ct 2>/dev/null) || release_epoch=1700000000
failures=0

release_copy() {
    mkdir -p "$1"
    tar -C "$release_source" --exclude=./build --exclude=./.git --exclude=./.cache -cf - . |
        tar -C "$1" -xf -
}

release_build() {
    local tree=$1
    shift
    (cd "$tree" && env "$@" ./scripts/package) >"$tree.log" 2>&1
}

release_packages() {
    (cd "$1/build/package" 2>/dev/null && ls -A Varnel-* varnel.exe SHA256SUMS 2>/dev/null)
}

check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok   $what"
    else
        echo "FAIL $what"
        failures=$((failures + 1))
    fi
}

fails() { ! "$@"; }

finish() {
    if [ $failures -ne 0 ]; then
        echo "$failures check(s) failed"
        exit 1
    fi
    echo "all checks passed"
}
