#!/usr/bin/env bash
# Sets up and builds Glyphwright, then starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
exec "${BUILD_DIR:-build}/glyphwright" "$@"
