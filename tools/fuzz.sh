#!/usr/bin/env bash
# Builds the libFuzzer targets of every stored format (tests/fuzz) with clang
# and runs each from its seed corpus.
#
#   bash tools/fuzz.sh                  a short run of each target (what CI does)
#   bash tools/fuzz.sh --runs N         N runs of each target
#   bash tools/fuzz.sh --runs N vcard   only the named targets
#
# Seeds come from tests/fuzz/corpus/<target> (and the hand-made vCard and CSV
# files for those readers); what the fuzzer adds goes to build/fuzz/corpus, and
# a failing input to build/fuzz/findings.
. "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

runs=3000
if [ "${1:-}" = "--runs" ]; then
  runs=$2
  shift 2
fi
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(contact_file persisted_handle journal device_store host_state vcard outlook_csv)

build="$root/build/fuzz"
cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null || exit 1
echo "Building the fuzz targets..."
cmake --build "$build" -j2 >"$root/build/fuzz-build.log" 2>&1 || {
  tail -n 40 "$root/build/fuzz-build.log" >&2
  exit 1
}

mkdir -p "$build/findings"
for target in "${targets[@]}"; do
  seeds=("$root/tests/fuzz/corpus/$target"/*)
  case $target in
    vcard) seeds+=("$root"/tests/contact_core/samples/*.vcf) ;;
    outlook_csv) seeds+=("$root"/tests/contact_core/samples/*.csv) ;;
  esac
  mkdir -p "$build/corpus/$target"
  cp "${seeds[@]}" "$build/corpus/$target/" || exit 1
  log="$build/$target.log"
  if "$build/${target}_fuzz" -runs="$runs" -seed=1 -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
      "$build/corpus/$target" >"$log" 2>&1; then
    echo "$target: $(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}') runs, no finding"
  else
    tail -n 30 "$log" >&2
    echo "$target: a finding; the input is in build/fuzz/findings" >&2
    exit 1
  fi
done
