# Sourced by the benchmark scripts. `project FILE [LINE=VALUE ...]` writes the start-up project
# file (as New leaves the window) with the given lines changed; `median` prints the middle of the
# numbers on its input.
defaults=(128 1 170 0 0 0 0 170 255 0 0 127 0 0 0 1024 0 1 0 0 0 0 "" 0 100 255 255 255 0 0
          "" 0 600 0 255 255 255 0 0 0 0 10 0 0 0 0 50 45 0 0 0
          1 1 1 1 1 1 1 0 1 1 1 1 1 1 1 1 1 1 1 1 0 1024 0 80
          0 0 0 0 0 0 0 0 0 0 0 0 0 0 1 200 0 80)
project() {
    local file=$1 v=("${defaults[@]}")
    shift
    for change in "$@"; do v[$(( ${change%%=*} - 1 ))]=${change#*=}; done
    printf '%s\n' "${v[@]:0:92}" > "$file"
    printf '%s' "${v[92]}" >> "$file"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
