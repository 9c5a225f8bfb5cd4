# Shared by scripts/run and scripts/test: installs what the build needs and builds.
# python3-mido and poppler-utils are the tests' independent readers of exported MIDI
# files and PDF pages; qt6-translations-l10n gives Qt's own dialogs their Chinese.
# Sourced, not run.
set -euo pipefail

TQ_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TQ_PACKAGES=(cmake g++ make pkg-config libgtest-dev libbenchmark-dev qt6-base-dev
  libfluidsynth-dev timgm6mb-soundfont fonts-noto-cjk fonts-liberation2 fonts-texgyre
  xvfb xauth nodejs npm
  python3-mido poppler-utils qt6-translations-l10n openttd-openmsx)

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
