# Shared by scripts/run and scripts/test: installs what the build needs and builds.
# python3-mido, poppler-utils and file are the tests' independent readers of exported
# MIDI files, PDF pages and image files; qt6-translations-l10n gives Qt's own dialogs
# their Chinese; clang with its runtime builds the fuzz targets (libFuzzer).
# Sourced, not run.
set -euo pipefail

TQ_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TQ_PACKAGES=(cmake g++ make pkg-config libgtest-dev libbenchmark-dev qt6-base-dev
  libfluidsynth-dev timgm6mb-soundfont fonts-noto-cjk fonts-liberation2 fonts-texgyre
  xvfb xauth nodejs npm
  python3-mido poppler-utils file qt6-translations-l10n openttd-openmsx
  clang libclang-rt-dev)

tq_sudo() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

tq_install_packages() {
  local missing=()
  for p in "${TQ_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      # node and npm may come from elsewhere than Debian's packages
      if { [ "$p" = nodejs ] && command -v node >/dev/null; } || { [ "$p" = npm ] && command -v npm >/dev/null; }; then
        continue
      fi
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    tq_sudo env DEBIAN_FRONTEND=noninteractive apt-get update
    tq_sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
  # Further steps (fonts from npm) live in scripts/deps.d/*.sh
  if [ -d "$TQ_ROOT/scripts/deps.d" ]; then
    for f in "$TQ_ROOT"/scripts/deps.d/*.sh; do
      [ -e "$f" ] && . "$f"
    done
  fi
  return 0
}

tq_jobs() { nproc 2>/dev/null || echo 2; }

# tq_build <build dir> [cmake options...]
tq_build() {
  local dir="$1"; shift
  cmake -S "$TQ_ROOT" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$(tq_jobs)"
}

# The fuzz targets and the readers under them, built with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer. Each target runs over its
# kept corpus (tests/fuzz/corpus_*) and then on new inputs for <seconds>, all
# targets at once; an input that breaks a reader fails the run and is copied
# into the kept corpus, to be mended and kept there.
# tq_fuzz <build dir> <seconds>
tq_fuzz() {
  local dir="$1" secs="$2"
  CC=clang CXX=clang++ cmake -S "$TQ_ROOT" -B "$dir" -DTQ_FUZZ=ON -DTQ_BUILD_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" >/dev/null
  local targets=(binscore:bin textscore:text drawpage:bin layout:layout midi:midi book:book)
  local names=()
  for t in "${targets[@]}"; do names+=("fuzz_${t%%:*}"); done
  cmake --build "$dir" -j "$(tq_jobs)" --target "${names[@]}"
  local work="$dir/fuzz-run"
  rm -rf "$work"
  local pids=() t name corpus
  for t in "${targets[@]}"; do
    name="fuzz_${t%%:*}"; corpus="$TQ_ROOT/tests/fuzz/corpus_${t#*:}"
    mkdir -p "$work/$name/new" "$work/$name/found"
    # New inputs go to a folder of the run; the kept corpus is only read.
    ( cd "$work/$name" &&
      ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0" \
      UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
      "$dir/bin/$name" -max_total_time="$secs" -timeout=20 -print_final_stats=1 \
        -artifact_prefix="$work/$name/found/" new "$corpus" >log.txt 2>&1 ) &
    pids+=($!)
  done
  local failed=0 i=0
  for t in "${targets[@]}"; do
    name="fuzz_${t%%:*}"; corpus="$TQ_ROOT/tests/fuzz/corpus_${t#*:}"
    if ! wait "${pids[$i]}" || [ -n "$(ls -A "$work/$name/found")" ]; then
      failed=1
      echo "$name: a finding (its input is copied into $corpus):"
      tail -n 40 "$work/$name/log.txt"
      cp "$work/$name/found/"* "$corpus/" 2>/dev/null || true
    else
      echo "$name: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$work/$name/log.txt" | grep -o '[0-9]*$') runs, no finding"
    fi
    i=$((i + 1))
  done
  return $failed
}
