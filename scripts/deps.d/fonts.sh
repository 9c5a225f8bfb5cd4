# Sourced by scripts/setup.sh (tq_install_packages) after the system packages:
# installs the music font Bravura from the npm registry into third_party/npm,
# unless that version is already there. The build copies it beside the program.
TQ_BRAVURA_PACKAGE="@vexflow-fonts/bravura"
TQ_BRAVURA_VERSION="1.0.2"
TQ_NPM_DIR="$TQ_ROOT/third_party/npm"

tq_install_bravura() {
  local pkg="$TQ_NPM_DIR/node_modules/$TQ_BRAVURA_PACKAGE"
  if [ -f "$pkg/bravura.otf" ] && [ -f "$pkg/metadata.json" ] &&
     grep -q "\"version\": *\"$TQ_BRAVURA_VERSION\"" "$pkg/package.json" 2>/dev/null; then
    return 0
  fi
  if ! command -v npm >/dev/null; then
    echo "npm is missing: cannot install $TQ_BRAVURA_PACKAGE" >&2
    return 1
  fi
  echo "Installing $TQ_BRAVURA_PACKAGE@$TQ_BRAVURA_VERSION"
  mkdir -p "$TQ_NPM_DIR"
  # A package.json of its own keeps npm from walking up to another project.
  [ -f "$TQ_NPM_DIR/package.json" ] || echo '{ "name": "tonquill-third-party", "private": true }' >"$TQ_NPM_DIR/package.json"
  npm install --prefix "$TQ_NPM_DIR" --no-audit --no-fund --no-save --ignore-scripts --yes \
    "$TQ_BRAVURA_PACKAGE@$TQ_BRAVURA_VERSION" </dev/null
  if [ ! -f "$pkg/bravura.otf" ] || [ ! -f "$pkg/metadata.json" ]; then
    echo "$TQ_BRAVURA_PACKAGE did not install bravura.otf and metadata.json" >&2
    return 1
  fi
}

tq_install_bravura
