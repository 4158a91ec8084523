#!/bin/bash
# Builds the prepared-report file reader with clang's libFuzzer and
# AddressSanitizer, then fuzzes it for a while from the seed corpus.
# Usage: run_fuzz.sh <repository root> <work folder> [seconds]
# Exits 77 (skipped) when clang or its fuzzer runtime is missing.
set -euo pipefail

root=$1
work=$2
seconds=${3:-20}
case $0 in
  */*) here=$(cd "${0%/*}" && pwd) ;;
  *) here=$(pwd) ;;
esac

clang=$(command -v clang++ || command -v clang++-14 || true)
if [ -z "$clang" ]; then
  echo "SKIPPED: clang++ is not installed (apt-get install clang libclang-rt-14-dev)"
  exit 77
fi
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long){return 0;}' \
    | "$clang" -x c++ -fsanitize=fuzzer -o /dev/null - 2>/dev/null; then
  echo "SKIPPED: clang's libFuzzer runtime is missing (apt-get install libclang-rt-14-dev)"
  exit 77
fi
if ! pkg-config --exists Qt6Core; then
  echo "SKIPPED: pkg-config cannot find Qt6Core"
  exit 77
fi

mkdir -p "$work/corpus"
binary="$work/fuzz_prepared_file"
sources=("$here/fuzz_prepared_file.cpp" "$root/report/preparedfile.cpp"
         "$root/report/prepared.cpp" "$root/report/template.cpp"
         "$root/result/runresult.cpp" "$root/result/counttable.cpp" "$root/result/datacheck.cpp"
         "$root/common/inputfile.cpp" "$root/common/outputfile.cpp")
# Rebuild only when a source is newer than the binary.
rebuild=1
if [ -x "$binary" ]; then
  rebuild=0
  for s in "${sources[@]}" "$root/report/preparedfile.h" "$root/report/prepared.h" "$root/report/template.h" \
           "$root/result/runresult.h" "$root/result/counttable.h" "$root/result/datacheck.h" \
           "$root/common/inputfile.h" "$root/common/outputfile.h"; do
    [ "$s" -nt "$binary" ] && rebuild=1
  done
fi
if [ "$rebuild" = 1 ]; then
  echo "Building $binary"
  # shellcheck disable=SC2046
  "$clang" -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=undefined -DQT_NO_KEYWORDS \
    -I"$root/report" -I"$root/result" -I"$root/common" $(pkg-config --cflags Qt6Core) \
    "${sources[@]}" -o "$binary" $(pkg-config --libs Qt6Core) -lz
fi

# Seeds: the stored ones plus a gzip-compressed copy of each.
for seed in "$here"/seeds/*; do
  cp "$seed" "$work/corpus/"
  gzip -c "$seed" > "$work/corpus/$(basename "$seed").gz"
done

echo "Fuzzing for $seconds seconds"
"$binary" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus"
