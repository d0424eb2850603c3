#!/usr/bin/env bash
# The main job: builds korgen and turns the shipped example examples/tour.sim
# into build/tour.pdf.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/build.sh" korgen
build="${BUILD_DIR:-$here/build}"
rm -f "$build/tour.pdf"
cd "$here/examples"
"$build/bin/korgen" tour "$build/tour"
echo
echo "Written: $build/tour.pdf"
