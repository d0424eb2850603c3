#!/usr/bin/env bash
# make_workload.sh N DIR
#
# Writes DIR/wN.sim (the workload W(N)) and DIR/photo.jpg (the picture the
# sim names), building the two small generators first when their binaries
# are missing or older than their sources.  The sim names the picture
# without a folder, so programs reading it run with DIR as their working
# folder.
set -euo pipefail

if [[ $# -ne 2 || ! $1 =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 N DIR" >&2
    exit 2
fi
n=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)
bin=$here/work/bin
mkdir -p "$bin" "$dir"

# Rebuilds $1 from $2 (plus the shared header) when it is out of date.
build() {
    local exe=$1 src=$2
    shift 2
    if [[ ! -x $exe || $src -nt $exe || $here/workload.h -nt $exe ]]; then
        cc -std=c11 -O2 -Wall -Wextra -o "$exe" "$src" "$@"
    fi
}
build "$bin/gen_workload" "$here/gen_workload.c"
build "$bin/make_jpeg" "$here/make_jpeg.c" -ljpeg

if [[ ! -s $dir/photo.jpg || $bin/make_jpeg -nt $dir/photo.jpg ]]; then
    "$bin/make_jpeg" "$dir/photo.jpg" 2>/dev/null
fi
# The sim is deterministic, so an existing one newer than its generator is
# kept: the 100,000-page file is 270 MB.
if [[ ! -s $dir/w$n.sim || $bin/gen_workload -nt $dir/w$n.sim ]]; then
    "$bin/gen_workload" "$n" "$dir/w$n.sim.tmp"
    mv "$dir/w$n.sim.tmp" "$dir/w$n.sim"
fi
