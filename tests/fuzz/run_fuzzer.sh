#!/usr/bin/env bash
# run_fuzzer.sh FUZZER SEEDS SECONDS: fuzzes from the seeds for that long,
# keeping new inputs in a scratch corpus so that the seeds stay as committed.
set -euo pipefail
scratch=$(mktemp -d -t folderreport-fuzz-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
"$1" -max_total_time="$3" -print_final_stats=1 -artifact_prefix="$scratch/" "$scratch" "$2"
