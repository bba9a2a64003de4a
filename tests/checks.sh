# Shared by the shell tests: counting failures, and skipping when a tool is
# missing (CTest's skip code 77), except in CI where that is a failure.
failures=0
fail() { echo "FAIL ${name:+[$name] }$*"; failures=$((failures + 1)); }
missing() { echo "$*"; if [ "${CI-}" = true ]; then exit 1; fi; exit 77; }
# require TOOL...: skips (or fails, in CI) unless every tool is on PATH.
require() {
    local tool
    for tool; do
        command -v "$tool" >/dev/null || missing "no $tool: scripts/install-deps installs it"
    done
}
# skip_case CASE WHY: says that CASE did not run, and why; in CI, a failure.
skip_case() {
    if [ "${CI-}" = true ]; then fail "[$1] $2"; else echo "skip [$1]: $2"; fi
}
finish() { echo "$failures failure(s)"; [ "$failures" -eq 0 ]; }
