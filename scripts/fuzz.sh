#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60).
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# The build folder (FUZZ_BUILD, default build-fuzz) is kept between runs, so a second run
# rebuilds only what changed, and each target's corpus grows there run after run. Seeds
# come from fuzz/seeds/, the fixture catalogues, and the demo catalogue and pictures an
# ASan build makes (FUZZ_SEED_APP, default build-asan/app, which scripts/test.sh builds
# first). A crash, leak, hang or sanitizer report stops the script with its input
# saved under <build>/artifacts/<target>/; make it a regression test in tests/<layer>/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
build=${FUZZ_BUILD:-$here/build-fuzz}
fixtures=${CATALOG_FIXTURES:-$here/../shared/fixtures}
jobs=${FUZZ_JOBS:-2}

CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCATALOG_FUZZ=ON -DCATALOG_TESTS=OFF -DCATALOG_FIXTURES="$fixtures" >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in "$here"/fuzz/*_fuzz.cpp; do
    targets+=("$(basename "$src" .cpp)")
  done
fi
cmake --build "$build" -j"$jobs" --target "${targets[@]}"

# The demo catalogue and the pictures are seeds of the file targets. They come from a
# build without the fuzzer's instrumentation: its tools would not link here.
app=${FUZZ_SEED_APP:-$here/build-asan/app}
seed_files() {
  # One line per seed file of target $1 (the picture target's seeds get a kind byte).
  case $1 in
    mdb_open_fuzz)
      ls "$fixtures"/catalogue-small/vc_korva.mdb "$fixtures"/access-made/overflowTestV2000.mdb \
         "$fixtures"/access-made/test2V2000.mdb "$app"/db/vc_korva.mdb 2>/dev/null || true ;;
  esac
}

status=0
for t in "${targets[@]}"; do
  corpus=$build/corpus/$t
  seeds=$build/seeds/$t
  artifacts=$build/artifacts/$t
  mkdir -p "$corpus" "$seeds" "$artifacts"
  if [ -d "$here/fuzz/seeds/$t" ]; then
    cp -f "$here/fuzz/seeds/$t"/* "$seeds"/
  fi
  for f in $(seed_files "$t"); do
    cp -f "$f" "$seeds/$(basename "$(dirname "$f")")-$(basename "$f")"
  done
  if [ "$t" = picture_loader_fuzz ]; then
    # The first byte picks the loader: 0 JPEG, 2 bitmap, 3 icon, 4 button glyph.
    n=0
    for f in "$app"/img/*.jpg "$app"/img/*.bmp $(ls "$app"/foto/*.JPG 2>/dev/null | head -n 3); do
      [ -f "$f" ] || continue
      case ${f,,} in *.bmp) kind='\x02' ;; *) kind='\x00' ;; esac
      { printf "$kind"; cat "$f"; } > "$seeds/picture$n"
      n=$((n + 1))
    done
    for f in "$app"/img/*.bmp; do
      [ -f "$f" ] && { printf '\x04'; cat "$f"; } > "$seeds/glyph-$(basename "$f")"
    done
  fi
  max_len=65536
  case $t in
    mdb_open_fuzz) max_len=1048576 ;;
    picture_loader_fuzz) max_len=2097152 ;;
  esac
  echo "== $t: $seconds s"
  rc=0
  # The catalogue copy is made by the helper program, which the fuzz build cannot link:
  # the ASan build's serves.
  (cd "$artifacts" && ASAN_OPTIONS=detect_leaks=1 CATALOG_COPY_HELPER="$app/catalogue-copy" "$build/fuzz/$t" -max_total_time="$seconds" \
     -timeout=60 -rss_limit_mb=2560 -max_len="$max_len" -print_final_stats=1 \
     -artifact_prefix="$artifacts/" "$corpus" "$seeds" >"$build/$t.log" 2>&1) || rc=$?
  grep -E '^#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|^SUMMARY' "$build/$t.log" || true
  if [ $rc != 0 ] || grep -qE '==[0-9]+==ERROR|^SUMMARY: |Test unit written' "$build/$t.log"; then
    echo "!! $t found a fault: see $build/$t.log and $artifacts/"
    status=1
  fi
done
exit $status
