#!/usr/bin/env bash
# Picture-file benchmark: Vitrane.scr full screen under Wine on a virtual
# display of 1920 x 1080, with a photo of ordinary sizes as its custom picture.
# For each photo: the time from process start to the first frame shown, and
# the saver's peak resident memory (VmHWM), as the median and the worst of a
# few runs. Other programs on the machine shift the times: the report gives
# the load averages beside them.
#
# Then the slideshow: a folder of 24-megapixel JPEGs changing every 5 s, full
# screen at 1024 x 768 for 40 s (six changes or more): the frame intervals'
# 99th percentile and largest, the first frame and the peak memory.
#
# Then picture libraries: the time from process start to the first picture
# in full view (its fade-in done) for folders of 1, 20,000 (400 folders) and
# 100,000 pictures (2,000 folders), on the local disk and behind a slow
# folder (a FUSE passthrough that sleeps 50 ms in every directory read), and
# for one 24-megapixel photo against one small one (without the picture
# cache, whose copies would show before the walk finds anything).
#
# And the preview: the saver drawing into a 152 x 112 box (the screen saver
# settings' preview) on a 2560 x 1440 screen, with a 24-megapixel and a small
# JPEG: its peak resident memory.
#
# And the picture cache: a folder of 40 photos changing every 5 s for
# 200 s, with CacheMegabytes=16 and then the default cap: the cache's size
# and the copies it holds at the end.
#
#   scripts/bench-pictures.sh [runs per photo, default 3] [slideshow, library, cache or preview: that case only]
#
# The report goes to build/bench/pictures-report.md and to standard output.
set -eu
cd "$(dirname "$0")/.."
runs=${1:-3}
only=${2:-}
bench_extra_packages=(python3-fusepy fuse3)
. scripts/bench-common.sh
report=build/bench/pictures-report.md
pictures=build/bench/pictures
mkdir -p "$pictures"
# How long a run lasts before the saver is ended: the first frame must have
# been shown by then (well before, with a decoder that scales while decoding).
settle_seconds=10

# make_photo FILE WIDTH HEIGHT: a photo-like picture (a plasma cloud, so that
# compression works as on a real photo); kept between runs.
make_photo() {
    [ -s "$1" ] && return
    convert -seed 11 -size "$2x$3" plasma:fractal -quality 90 "$1"
}

# The saver under Wine shows its Windows path; other helpers' savers may run
# at the same time, so match this build's own.
this_saver_pid() {
    local pattern pid=""
    pattern=$(printf '%s' "$bench_build/Vitrane.scr" | sed 's/[^A-Za-z0-9-]/./g')
    for _ in $(seq 100); do
        pid=$(pgrep -f -n "$pattern" || true)
        [ -n "$pid" ] && [ -r "/proc/$pid/status" ] && break
        sleep 0.1
    done
    echo "$pid"
}

# run_saver SECONDS SETTINGS: runs the saver full screen for that long with
# the settings file's text and prints its peak resident size in KiB; the
# frame record is left in $frames_file.
run_saver() {
    printf '[Vitrane settings]\r\n%s' "$2" >"$(dirname "$saver")/Vitrane.ini"
    rm -f "$frames_file"
    wine "$saver" /s >/dev/null 2>&1 &
    local launcher=$! pid
    pid=$(this_saver_pid)
    sleep "$1"
    awk '/VmHWM/ { print $2 }' "/proc/$pid/status"
    stop_saver "$launcher"
}

# run_photo FILE: prints "first_frame_ms peak_mib" of one run.
run_photo() {
    local peak_kib
    peak_kib=$(run_saver "$settle_seconds" "$(printf 'CustomPicture=%s\r\nUseCustomPic=1\r\n' "$(winepath -w "$1")")")
    awk -v k="$peak_kib" '/^first_frame_ms/ { printf "%.0f %.1f\n", $2, k / 1024 }' "$frames_file"
}

# Median and largest of a column of numbers.
summary() {
    sort -n | awk '{ v[NR] = $1 } END { printf "%s (worst %s)", v[int((NR + 1) / 2)], v[NR] }'
}

bench_photo() {
    local label=$1 file=$2 results
    results=$(for _ in $(seq "$runs"); do run_photo "$file"; done)
    echo "| $label | $(cut -d' ' -f1 <<<"$results" | summary) | $(cut -d' ' -f2 <<<"$results" | summary) |"
}

# run_slideshow FOLDER SECONDS: prints "first_frame_ms p99_ms max_ms peak_mib changes" of one run.
run_slideshow() {
    local peak_kib first changes p99 max
    peak_kib=$(run_saver "$2" "$(printf 'UseCustomPic=1\r\nPictureFolder=%s\r\nSlideSeconds=5\r\n' "$(winepath -w "$1")")")
    first=$(awk '/^first_frame_ms/ { printf "%.0f", $2 }' "$frames_file")
    changes=$(awk '/^picture_changes/ { print $2 }' "$frames_file")
    read -r p99 max < <(awk '/^interval_ms/ { print $2 }' "$frames_file" | sort -n |
        awk '{ v[NR] = $1 } END { printf "%.1f %.1f\n", v[int(NR * 0.99)], v[NR] }')
    echo "$first $p99 $max $(awk -v k="$peak_kib" 'BEGIN { printf "%.1f", k / 1024 }') $changes"
}

# A folder of 100,000 files, made once: what listing costs.
huge_folder() {
    local folder=$pictures/huge i
    if [ ! -f "$folder/done" ]; then
        mkdir -p "$folder"
        (cd "$folder" && seq -f 'file-%06g.txt' 1 99980 | xargs touch)
        for i in $(seq 20); do ln -f "$pictures/slides/photo-$(((i - 1) % 6 + 1)).jpg" "$folder/photo-$i.jpg"; done
        touch "$folder/done"
    fi
    echo "$folder"
}

# photo_variants FOLDER SOURCE COUNT HUE_STEP: COUNT different photos of the
# source's size in FOLDER (photo-1.jpg on), made once, each with its hue turned.
photo_variants() {
    local i
    mkdir -p "$1"
    for i in $(seq "$3"); do
        [ -s "$1/photo-$i.jpg" ] || convert "$2" -modulate 100,100,$((i * $4)) -quality 90 "$1/photo-$i.jpg"
    done
}

# report_case TITLE ROWS: one case's section of the report on a fresh
# 1024 x 768 display: its title, then what the function ROWS prints between
# the load averages before and after.
report_case() {
    start_display 1024 768
    wineserver -k 2>/dev/null || true
    {
        echo "## $1"
        echo
        echo "Load averages before: $(uptime | sed 's/.*load average: //')"
        echo
        "$2"
        echo
        echo "Load averages after: $(uptime | sed 's/.*load average: //')"
        echo
    } | tee -a "$report"
    end_display
}

# Ends the saver's Wine session and the display.
end_display() {
    wineserver -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
}

# The rows of bench_slideshow's section.
slideshow_rows() {
    echo "| run | first frame, ms | frame interval p99, ms | largest, ms | peak resident memory, MiB | changes |"
    echo "| --- | --- | --- | --- | --- | --- |"
    for i in $(seq "$runs"); do
        echo "| $i | $(run_slideshow "$slides" 40 | tr ' ' '|' | sed 's/|/ | /g') |"
    done
    echo
    echo "The same with a folder of 100,000 files (empty ones, 20 named .jpg of them the photos), 15 s:"
    echo
    echo "| run | first frame, ms | frame interval p99, ms | largest, ms | peak resident memory, MiB | changes |"
    echo "| --- | --- | --- | --- | --- | --- |"
    echo "| 1 | $(run_slideshow "$(huge_folder)" 15 | tr ' ' '|' | sed 's/|/ | /g') |"
}

bench_slideshow() {
    local slides=$pictures/slides i
    make_photo "$pictures/photo-6000x4000.jpg" 6000 4000
    photo_variants "$slides" "$pictures/photo-6000x4000.jpg" 6 30
    report_case "Slideshow, $(date -u +%Y-%m-%d), 1024 x 768 screen, six 6000 x 4000 JPEGs every 5 s, 40 s per run" slideshow_rows
}

# The cache's bytes (temporary files aside) and copies, as "MiB copies".
cache_size() {
    local cache=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Vitrane
    echo "$(du -sb --exclude='*.tmp' "$cache" | awk '{ printf "%.1f", $1 / 1048576 }') $(find "$cache" -name '*.vpc' | wc -l)"
}

# The rows of bench_cache's section.
cache_rows() {
    echo "| CacheMegabytes | changes | cache at the end, MiB | copies |"
    echo "| --- | --- | --- | --- |"
    for cap in 16 256; do
        rm -rf "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Vitrane"
        run_saver 200 "$(printf 'UseCustomPic=1\r\nPictureFolder=%s\r\nSlideSeconds=5\r\nCacheMegabytes=%s\r\n' \
            "$(winepath -w "$library")" "$cap")" >/dev/null
        changes=$(awk '/^picture_changes/ { print $2 }' "$frames_file")
        echo "| $cap | $changes | $(cache_size | sed 's/ / | /') |"
    done
}

bench_cache() {
    local library=$pictures/library cap changes
    make_photo "$pictures/photo-1920x1080.jpg" 1920 1080
    photo_variants "$library" "$pictures/photo-1920x1080.jpg" 40 9
    report_case "Picture cache, $(date -u +%Y-%m-%d), 1024 x 768 screen, forty 1920 x 1080 JPEGs every 5 s, 200 s per run" cache_rows
}

# library FOLDERS PICTURES: a library of that many pictures (hard links to
# one small photo) spread evenly over that many folders, none in the top one;
# made once. Prints its path.
library() {
    local folder=$pictures/library-$2
    if [ ! -f "$folder/done" ]; then
        /usr/bin/python3 - "$pictures/photo-640x480.jpg" "$folder" "$1" $(($2 / $1)) <<'EOF_PY'
import os, shutil, sys
photo, root, folders, per = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
os.makedirs(root, exist_ok=True)
for f in range(folders):
    folder = os.path.join(root, "folder-%04d" % f)
    os.makedirs(folder, exist_ok=True)
    for p in range(per):
        # A file takes at most 65,000 links: one copy of the photo per 20,000.
        source = os.path.join(root, "source-%d.dat" % ((f * per + p) // 20000))
        if not os.path.exists(source):
            shutil.copy(photo, source)
        if not os.path.exists(os.path.join(folder, "photo-%03d.jpg" % p)):
            os.link(source, os.path.join(folder, "photo-%03d.jpg" % p))
EOF_PY
        touch "$folder/done"
    fi
    echo "$folder"
}

# run_first_picture FOLDER: prints the ms from process start to the first
# picture in full view of one run.
run_first_picture() {
    run_saver 8 "$(printf 'UseCustomPic=1\r\nPictureFolder=%s\r\nSlideSeconds=60\r\nCacheMegabytes=0\r\n' \
        "$(winepath -w "$1")")" >/dev/null
    awk '/^first_picture_ms/ { printf "%.0f", $2 }' "$frames_file"
}

# The median and worst of the runs' first pictures.
first_picture() {
    local folder=$1
    for _ in $(seq "$runs"); do
        run_first_picture "$folder"
        echo
    done | summary
}

bench_library() {
    local slow=$pictures/slow
    make_photo "$pictures/photo-640x480.jpg" 640 480
    make_photo "$pictures/photo-6000x4000.jpg" 6000 4000
    mkdir -p "$pictures/one" "$pictures/one-large"
    cp -f "$pictures/photo-640x480.jpg" "$pictures/one/photo.jpg"
    cp -f "$pictures/photo-6000x4000.jpg" "$pictures/one-large/photo.jpg"
    library 400 20000 >/dev/null
    library 2000 100000 >/dev/null
    start_display 1024 768
    wineserver -k 2>/dev/null || true
    {
        echo "## First picture in full view, $(date -u +%Y-%m-%d), 1024 x 768 screen, ms after process start, median of $runs runs"
        echo
        echo "Load averages before: $(uptime | sed 's/.*load average: //')"
        echo
        echo "| folder | local disk | behind a slow folder (50 ms a directory read) |"
        echo "| --- | --- | --- |"
        for entry in "1 picture:one" "20,000 pictures in 400 folders:library-20000" "100,000 pictures in 2,000 folders:library-100000"; do
            local label=${entry%%:*} name=${entry#*:}
            mkdir -p "$slow/$name"
            mountpoint -q "$slow/$name" || /usr/bin/python3 tests/e2e/slow_folder.py "$pictures/$name" "$slow/$name" 0.05 2>/dev/null &
            sleep 1
            echo "| $label | $(first_picture "$pictures/$name") | $(first_picture "$slow/$name") |"
            fusermount -uz "$slow/$name"
        done
        echo
        echo "| one picture, local | first picture in full view, ms |"
        echo "| --- | --- |"
        echo "| 640 x 480 JPEG | $(first_picture "$pictures/one") |"
        echo "| 6000 x 4000 JPEG | $(first_picture "$pictures/one-large") |"
        echo
        echo "Load averages after: $(uptime | sed 's/.*load average: //')"
        echo
    } | tee -a "$report"
    end_display
}

# run_preview FILE: prints the peak resident memory (MiB) of the saver drawing
# FILE in a preview box for 8 s.
run_preview() {
    printf '[Vitrane settings]\r\nCustomPicture=%s\r\nUseCustomPic=1\r\n' "$(winepath -w "$1")" \
        >"$(dirname "$saver")/Vitrane.ini"
    wine "$preview_host" 0 0 152 112 "$(winepath -w "$saver")" --close-after 8 >/dev/null 2>&1 &
    local host=$! pid
    pid=$(saver_pid 'Vitrane\.scr /p ')
    sleep 7
    awk '/VmHWM/ { printf "%.1f\n", $2 / 1024 }' "/proc/$pid/status"
    wait "$host" || true
}

preview_rows() {
    local label file
    echo "| custom picture | peak resident memory, MiB |"
    echo "| --- | --- |"
    for entry in "6000 x 4000 JPEG:photo-6000x4000.jpg" "640 x 480 JPEG:photo-640x480.jpg"; do
        label=${entry%%:*} file=$pictures/${entry#*:}
        echo "| $label | $(for _ in $(seq "$runs"); do run_preview "$file"; done | summary) |"
    done
}

bench_preview() {
    preview_host=$bench_build/preview_host.exe
    x86_64-w64-mingw32-g++ -O2 -static -DWIN32_LEAN_AND_MEAN -DNOMINMAX tests/e2e/preview_host.cpp \
        -o "$preview_host" -luser32 -lgdi32
    make_photo "$pictures/photo-6000x4000.jpg" 6000 4000
    make_photo "$pictures/photo-640x480.jpg" 640 480
    start_display 2560 1440
    wineserver -k 2>/dev/null || true
    {
        echo "## Preview, $(date -u +%Y-%m-%d), 152 x 112 box on a 2560 x 1440 screen, median of $runs runs"
        echo
        echo "Load averages before: $(uptime | sed 's/.*load average: //')"
        echo
        preview_rows
        echo
        echo "Load averages after: $(uptime | sed 's/.*load average: //')"
        echo
    } | tee -a "$report"
    end_display
}

if [ "$only" = preview ]; then
    : >"$report"
    bench_preview
    exit 0
fi
if [ "$only" = cache ]; then
    : >"$report"
    bench_cache
    exit 0
fi
if [ "$only" = slideshow ]; then
    : >"$report"
    bench_slideshow
    exit 0
fi
if [ "$only" = library ]; then
    : >"$report"
    bench_library
    exit 0
fi

make_photo "$pictures/photo-6000x4000.jpg" 6000 4000
make_photo "$pictures/photo-1920x1080.jpg" 1920 1080
make_photo "$pictures/photo-4000x3000.png" 4000 3000

start_display 1920 1080
wineserver -k 2>/dev/null || true
{
    echo "## Picture files, $(date -u +%Y-%m-%d), 1920 x 1080 screen, median of $runs runs"
    echo
    echo "Load averages before: $(uptime | sed 's/.*load average: //')"
    echo
    echo "| custom picture | first frame, ms after process start | peak resident memory, MiB |"
    echo "| --- | --- | --- |"
    bench_photo "6000 x 4000 JPEG" "$pictures/photo-6000x4000.jpg"
    bench_photo "1920 x 1080 JPEG" "$pictures/photo-1920x1080.jpg"
    bench_photo "4000 x 3000 PNG" "$pictures/photo-4000x3000.png"
    echo
    echo "Load averages after: $(uptime | sed 's/.*load average: //')"
    echo
} | tee "$report"
end_display
bench_slideshow
bench_library
bench_cache
bench_preview
