# shellcheck shell=bash
# measure COMMAND...: runs it once under /usr/bin/time into $out (a scratch folder the caller owns) and prints
# "wall cpu rss_kb exit_code"; its standard output and error stay in $out/stdout and $out/stderr.
measure() {
    local log="$out/time.log" code=0
    /usr/bin/time -v -o "$log" "$@" >"$out/stdout" 2>"$out/stderr" || code=$?
    awk -F': ' -v code="$code" '
        /Elapsed \(wall clock\)/ { n = split($2, p, ":"); wall = (n == 3) ? p[1] * 3600 + p[2] * 60 + p[3] : p[1] * 60 + p[2] }
        /User time/ { cpu += $2 } /System time/ { cpu += $2 }
        /Maximum resident set size/ { rss = $2 }
        END { printf "%.2f %.2f %d %d\n", wall, cpu, rss, code }' "$log"
}
