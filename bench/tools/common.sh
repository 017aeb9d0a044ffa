#!/usr/bin/env bash
# Shared parts of the tool benchmarks: a release build of the tools and timing helpers.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BENCH_BUILD=${QUORELLE_BENCH_BUILD:-$repo/build-bench-tools}

bench_build() {
    cmake -S "$repo" -B "$BENCH_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQUORELLE_BUILD_ENGINE=OFF -DQUORELLE_BUILD_ADDIN=OFF -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$BENCH_BUILD" -j2 --target "$@" >/dev/null
}

# Wall-clock seconds of a command (output discarded).
bench_time() {
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null
    t1=$(date +%s.%N)
    calc "$t1 - $t0"
}

# Arithmetic on decimal numbers: calc "1.5 / 3".
calc() {
    awk "BEGIN { printf \"%.6f\", $1 }"
}

# Median of the numbers given.
median() {
    printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
}

# bench_conf DIR NAME LINE: a copy of the msg.conf in QUORELLE_MSG_CONF with LINE appended, as
# DIR/NAME.conf; prints its path. The benchmarks time the tools with LDAPPAGESIZE:0 (no
# paging) and LDAPPAGING:always (every search paged) besides the default (paging when a
# search is cut short at the server's size limit, which the benchmark servers have not).
bench_conf() {
    local out="$1/$2.conf"
    cp "$QUORELLE_MSG_CONF" "$out"
    printf '%s\n' "$3" >>"$out"
    printf '%s' "$out"
}

# The page size of the paged ldapsearch runs: the tools' default LDAPPAGESIZE.
BENCH_PAGE=${BENCH_PAGE:-500}

# The equality indexes of the benchmark server in DIR (as configured by slapd.sh), one line.
bench_indexes() {
    sed -n 's/^olcDbIndex: //p' "$1/config.ldif" | tr '\n' ',' | sed 's/,$//; s/,/, /g'
}

# The load average of the last minute (the machine may be shared: figures are compared
# within one run).
bench_load() {
    cut -d' ' -f1 /proc/loadavg
}
