#!/usr/bin/env bash
# Builds everything and runs every test. Installs what the tests need: the
# compiler and GoogleTest, and the real PDF readers every produced file is
# checked with (qpdf, poppler, MuPDF).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/ensure-packages.sh" qpdf poppler-utils mupdf-tools libjpeg-dev
"$here/scripts/build.sh"
build="${BUILD_DIR:-$here/build}"
cd "$build"
ctest --output-on-failure -j"$(nproc)"
