#!/usr/bin/env bash
# run.sh [--rounds R] [N ...]
#
# Times korgen against the libharu peer and the snprintf floor on the
# workload W(N) for each N (default 1000 10000 100000), R rounds each
# (default 5), and prints a Markdown-friendly table.  See README.md.
#
# The three programs run in alternation (korgen, peer, floor, korgen, ...)
# so that drift on the shared machine (other jobs, page cache, CPU clock)
# hits all three alike instead of one of them.
set -uo pipefail

rounds=5
sizes=()
while [[ $# -gt 0 ]]; do
    case $1 in
    --rounds)
        [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || { echo "run.sh: --rounds needs a count" >&2; exit 2; }
        rounds=$2
        shift 2
        ;;
    -h | --help)
        sed -n '2,10p' "$0"
        exit 0
        ;;
    *)
        [[ $1 =~ ^[1-9][0-9]*$ ]] || { echo "run.sh: bad page count '$1'" >&2; exit 2; }
        sizes+=("$1")
        shift
        ;;
    esac
done
[[ ${#sizes[@]} -gt 0 ]] || sizes=(1000 10000 100000)

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
work=$here/work
bin=$work/bin
mkdir -p "$bin"
failures=0

# ---- builds -----------------------------------------------------------------

# KORGEN=/path/to/korgen measures that binary instead of building one.
korgen=${KORGEN:-$repo/build-bench/bin/korgen}
have_korgen=0
if [[ -n ${KORGEN:-} ]]; then
    echo "korgen: using $korgen as given (no build)"
    [[ -x $korgen ]] && have_korgen=1
else
    echo "building korgen (log: $work/korgen-build.log)"
    if cmake -S "$repo" -B "$repo/build-bench" -DCMAKE_BUILD_TYPE=Release >"$work/korgen-build.log" 2>&1 &&
        cmake --build "$repo/build-bench" -j2 --target korgen >>"$work/korgen-build.log" 2>&1 &&
        [[ -x $korgen ]]; then
        have_korgen=1
    fi
fi
[[ $have_korgen == 1 ]] || echo "  korgen not built; its rows are skipped"

echo "building peer and floor"
cc -std=c11 -O2 -Wall -Wextra -o "$bin/peer_hpdf" "$here/peer_hpdf.c" -lhpdf || exit 1
cc -std=c11 -O2 -Wall -Wextra -o "$bin/floor" "$here/floor.c" || exit 1

# ---- helpers ----------------------------------------------------------------

# Median of the numbers given as arguments.
median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
        if (NR == 0) exit 1
        if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Runs one timed run of program $1 for page count $2 in folder $3, writing
# $4.pdf.  Sets run_secs, run_rss_kib and run_rc.  Wall time is taken from
# bash's microsecond clock around /usr/bin/time (whose own elapsed figure
# only has 10 ms steps, too coarse for the small runs); the peak RSS comes
# from /usr/bin/time -v.
timed_run() {
    local prog=$1 n=$2 dir=$3 out=$4 tv=$dir/time.txt
    local -a cmd
    case $prog in
    korgen) cmd=("$korgen" "w$n" "$out") ;;
    peer) cmd=("$bin/peer_hpdf" "$n" photo.jpg "$out.pdf") ;;
    floor) cmd=("$bin/floor" "$n" photo.jpg "$out.pdf") ;;
    esac
    rm -f "$dir/$out.pdf"
    local t0 t1
    t0=$EPOCHREALTIME
    (cd "$dir" && /usr/bin/time -v -o "$tv" "${cmd[@]}" >/dev/null 2>"$dir/$prog.err")
    run_rc=$?
    t1=$EPOCHREALTIME
    run_secs=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", b - a }')
    run_rss_kib=$(awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' "$tv")
}

# ---- measuring --------------------------------------------------------------

progs=(korgen peer floor)
declare -A med_secs med_rss out_size status
declare -A sim_size

for n in "${sizes[@]}"; do
    dir=$work/n$n
    echo "N=$n: making the workload"
    "$here/make_workload.sh" "$n" "$dir" || exit 1
    sim_size[$n]=$(stat -c %s "$dir/w$n.sim")

    declare -A secs=() rss=()
    for prog in "${progs[@]}"; do
        status[$n,$prog]=ok
        [[ $prog == korgen && $have_korgen == 0 ]] && status[$n,$prog]="korgen not built"
    done

    for ((r = 1; r <= rounds; r++)); do
        for prog in "${progs[@]}"; do
            [[ ${status[$n,$prog]} == ok ]] || continue
            out=out-$prog-$r
            timed_run "$prog" "$n" "$dir" "$out"
            if [[ $run_rc -ne 0 ]]; then
                status[$n,$prog]="failed (exit $run_rc)"
                echo "  $prog round $r FAILED with exit $run_rc; stderr:" >&2
                head -5 "$dir/$prog.err" >&2
                failures=$((failures + 1))
                continue
            fi
            secs[$prog]+=" $run_secs"
            rss[$prog]+=" $run_rss_kib"
            printf '  round %d %-6s %8.3f s %8d KiB\n' "$r" "$prog" "$run_secs" "$run_rss_kib"
            # The first round's output is kept for the size and the check;
            # the others go at once so disk use stays at one copy each.
            [[ $r -eq 1 ]] || rm -f "$dir/$out.pdf"
        done
    done

    for prog in "${progs[@]}"; do
        [[ ${status[$n,$prog]} == ok ]] || continue
        # shellcheck disable=SC2086  # the lists are space-separated numbers
        med_secs[$n,$prog]=$(median ${secs[$prog]})
        # shellcheck disable=SC2086
        med_rss[$n,$prog]=$(median ${rss[$prog]})
        f=$dir/out-$prog-1.pdf
        out_size[$n,$prog]=$(stat -c %s "$f")
        # Checked once per N, outside the timed runs.
        if ! qpdf --check "$f" >"$dir/qpdf-$prog.txt" 2>&1; then
            status[$n,$prog]="qpdf --check FAILED"
            echo "!!! N=$n $prog: qpdf --check FAILED (see $dir/qpdf-$prog.txt):" >&2
            grep -v '^checking\|^PDF Version\|^File is not' "$dir/qpdf-$prog.txt" | head -10 >&2
            failures=$((failures + 1))
        fi
        rm -f "$f"
    done
    unset secs rss
done

# ---- the table --------------------------------------------------------------

echo
echo "rounds per program: $rounds; machine: $(nproc) cores, $(uname -r)"
echo
echo "| N | program | median s | pages/s | MB/s out | peak RSS MiB | output MB | korgen/peer | korgen/floor | status |"
echo "|---:|---|---:|---:|---:|---:|---:|---:|---:|---|"
for n in "${sizes[@]}"; do
    for prog in "${progs[@]}"; do
        if [[ -z ${med_secs[$n,$prog]:-} ]]; then
            echo "| $n | $prog | - | - | - | - | - | - | - | ${status[$n,$prog]} |"
            continue
        fi
        ratios="| - | -"
        if [[ $prog == korgen ]]; then
            ratios=$(awk -v k="${med_secs[$n,korgen]}" -v p="${med_secs[$n,peer]:-}" \
                -v f="${med_secs[$n,floor]:-}" 'BEGIN {
                    printf "| %s | %s", (p > 0 ? sprintf("%.2f", k / p) : "-"),
                                        (f > 0 ? sprintf("%.2f", k / f) : "-") }')
        fi
        awk -v n="$n" -v prog="$prog" -v s="${med_secs[$n,$prog]}" \
            -v kib="${med_rss[$n,$prog]}" -v size="${out_size[$n,$prog]}" \
            -v ratios="$ratios" -v st="${status[$n,$prog]}" 'BEGIN {
                printf "| %d | %s | %.3f | %.0f | %.1f | %.1f | %.1f %s | %s |\n",
                    n, prog, s, n / s, size / 1e6 / s, kib / 1024, size / 1e6, ratios, st }'
    done
done

# ---- korgen's scaling and memory budget -------------------------------------

echo
first=${sizes[0]}
last=${sizes[-1]}
if [[ $have_korgen == 1 && -n ${med_secs[$first,korgen]:-} && -n ${med_secs[$last,korgen]:-} ]]; then
    awk -v a="$first" -v ta="${med_secs[$first,korgen]}" -v b="$last" \
        -v tb="${med_secs[$last,korgen]}" 'BEGIN {
            printf "korgen time per page at N=%d / at N=%d: %.2f (%.1f us vs %.1f us)\n",
                b, a, (tb / b) / (ta / a), tb / b * 1e6, ta / a * 1e6 }'
else
    echo "korgen time per page at N=$last / at N=$first: - (korgen not measured)"
fi
echo "korgen memory budget: peak RSS <= 2 x sim size + 32 MiB"
for n in "${sizes[@]}"; do
    if [[ -z ${med_rss[$n,korgen]:-} ]]; then
        echo "  N=$n: - (${status[$n,korgen]})"
        continue
    fi
    awk -v n="$n" -v kib="${med_rss[$n,korgen]}" -v sim="${sim_size[$n]}" 'BEGIN {
        rss = kib / 1024; budget = 2 * sim / 1048576 + 32
        printf "  N=%d: peak RSS %.1f MiB, sim %.1f MiB, budget %.1f MiB: %s\n",
            n, rss, sim / 1048576, budget, (rss <= budget ? "within" : "OVER") }'
done

if [[ $failures -gt 0 ]]; then
    echo
    echo "!!! $failures failure(s): see the messages above" >&2
    exit 1
fi
