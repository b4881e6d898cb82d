#!/usr/bin/env bash
# Sets up and builds Glyphwright, then runs the whole test suite; non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cd "${BUILD_DIR:-build}"
ctest --output-on-failure --timeout 600
