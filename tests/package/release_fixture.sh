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
# and the checks of tests/package/checks.sh.

release_source=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
release_epoch=$(git -C "$release_source" log -1 --format=%ct 2>/dev/null) || release_epoch=1700000000

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

. "$release_source/tests/package/checks.sh"
