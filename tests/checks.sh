# Shared by the shell tests: counting failures, and skipping when a tool is
# missing (CTest's skip code 77), except in CI where that is a failure.
failures=0
fail() { echo "FAIL ${name:+[$name] }$*"; failures=$((failures + 1)); }
missing() { echo "$*"; if [ "${CI-}" = true ]; then exit 1; fi; exit 77; }
finish() { echo "$failures failure(s)"; [ "$failures" -eq 0 ]; }
