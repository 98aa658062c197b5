# Sourced by the package and release tests: each check prints one line, "ok", "FAIL" or "skip"
# (scripts/lib/ctest-skips and scripts/test list the skips with their reasons).
#   check DESCRIPTION COMMAND...   ok when COMMAND succeeds
#   same DESCRIPTION EXPECTED ACTUAL
#   skip DESCRIPTION REASON        a check this host cannot make, and why
#   fails COMMAND...               succeeds when COMMAND fails
#   finish [HINT]                  prints the outcome (HINT after a failure); exits 1 when a
#                                  check failed
failures=0
skipped=0

ok() { echo "ok   $1"; }
fail() {
    echo "FAIL $1"
    failures=$((failures + 1))
}
skip() {
    echo "skip $1: $2"
    skipped=$((skipped + 1))
}
check() {
    local what=$1
    shift
    if "$@"; then ok "$what"; else fail "$what"; fi
}
same() {
    if [ "$2" = "$3" ]; then
        ok "$1"
    else
        fail "$1: expected [$2], got [$3]"
    fi
}
fails() { ! "$@"; }
finish() {
    [ $skipped -eq 0 ] || echo "$skipped check(s) skipped, each with its reason above"
    if [ $failures -ne 0 ]; then
        echo "$failures check(s) failed${1:+; $1}"
        exit 1
    fi
    echo "all checks passed"
}
