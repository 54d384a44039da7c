# Sourced by the test scripts: what a test needs from the machine (a tool, a
# locale, a file). Under CI (CI set) its absence is a failure; elsewhere the
# test is skipped with exit status 77, which CTest counts as skipped.

# skip_or_fail REASON
skip_or_fail() {
    if [ -n "${CI:-}" ]; then
        echo "FAIL: $1 (nothing may skip under CI)"
        exit 1
    fi
    echo "SKIP: $1"
    exit 77
}

# need_tools TOOL...: each a command on the PATH or an executable file.
need_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || skip_or_fail "$tool is missing (run scripts/setup)"
    done
}
