#!/usr/bin/env bash
# A picture library on a slow share (lib.sh's slow folder: every directory
# read a second late, and one subfolder that does not answer), shown on two
# monitors (lib.sh) with SlideSeconds=5:
# - the first picture shows while the read of the folder that does not answer
#   is under way;
# - every picture shows in turn, the one in a subfolder too, the undecodable
#   files never; each change is a crossfade (a frame between two pictures is
#   their blend); the two monitors never show the same picture at once;
# - a picture deleted while the saver runs never shows again, once the
#   slideshow has gone past where its next turn would have been;
# - a key during the listing gives the screen back at once and saves the last
#   picture while the listing still hangs, and the program ends with exit
#   code 0 once the share lets go of its read (a read the FUSE daemon has
#   taken cannot be interrupted).
# Then the share is gone and the cap lowered below what the cache holds: the
# next start shows the pictures the cache kept, at once and never the
# built-in picture, and the cache, in the user's LocalAppData, is back within
# its cap without its least recently shown copy. Then changes to another
# library (below).
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

# name and colour of each picture the walk can list; one lies in a subfolder.
# (The walk lists it before the folder that does not answer, which holds up
# the rest of the walk.)
PICTURES=("red 220,30,30" "album/green 30,200,30" "blue 30,30,220" "yellow 220,200,30")
# The middle of each monitor's surface.
POINTS=("400 330" "1120 265")

library=$E2E_WORK/library
mkdir -p "$library/album" "$library/stalled"
# 1000 x 500: each copy in the cache is 512 x 512 pixels, 1 MiB, so that
# three of them hold more than a cap of 3 MiB.
e2e_colour_pictures "$library" 1000x500 "${PICTURES[@]}" "stalled/violet 140,40,200"
echo "not a picture" >"$library/broken.jpg"
# What a copy from a Mac leaves beside each photo.
head -c 4096 /dev/urandom >"$library/._red.bmp"
share=$E2E_WORK/share
e2e_mount_slow_folder "$library" "$share" 1 || e2e_abort "no slow folder: $E2E_WHY"
saver=$(e2e_install_saver)
ini=$(dirname "$saver")/Vitrane.ini
# Room for every picture's copy in this run.
printf '[Vitrane settings]\r\nUseCustomPic=1\r\nPictureFolder=%s\r\nSlideSeconds=5\r\nCacheMegabytes=5\r\n' \
    "$(e2e_winpath "$share")" >"$ini"
users=$WINEPREFIX/drive_c/users
cache=$users/$(id -un)/AppData/Local/Vitrane
rm -rf "$cache"

# shown_now MONITOR: the picture in the middle of that monitor's surface (its
# name, or "-") and the pixel's colour, from a screenshot taken now.
shown_now() {
    shown_in "$(e2e_screenshot library)" "$1"
}

shown_in() {
    local x y
    read -r x y <<<"${POINTS[$2]}"
    awk -v rgb="$(e2e_pixel "$1" "$x" "$y")" -v pictures="${PICTURES[*]}" 'BEGIN {
        split(rgb, p, ","); n = split(pictures, word, " "); shown = "-"
        for (i = 1; i < n; i += 2) {
            split(word[i + 1], c, ","); sub(/.*\//, "", word[i])
            if ((p[1] - c[1]) ^ 2 < 256 && (p[2] - c[2]) ^ 2 < 256 && (p[3] - c[3]) ^ 2 < 256) shown = word[i]
        }
        print shown, rgb }'
}

# sample FILE MILLISECONDS [UNTIL...]: "ms-since-start monitor name rgb" of
# the middle of each monitor, as often as it can be taken, while the saver
# runs, for that long or until the command UNTIL FILE succeeds.
sample() {
    local file=$1 for_ms=$2 start shot monitor
    shift 2
    start=$(e2e_now_ms)
    while [ $(($(e2e_now_ms) - start)) -lt "$for_ms" ] && e2e_job_running "$job"; do
        shot=$(e2e_screenshot library)
        for monitor in "${!POINTS[@]}"; do
            echo "$(($(e2e_now_ms) - start)) $monitor $(shown_in "$shot" "$monitor")" >>"$file"
        done
        [ $# = 0 ] || ! "$@" "$file" || break
    done
    cp "$file" "$E2E_ARTIFACTS/"
}

# showings FILE: "monitor name" of each time a picture came onto a monitor,
# in order; what showed at the first sample is not counted, nor (with
# "decoded_since") each monitor's first change, whose picture may have been
# decoded before the samples began.
showings() {
    awk -v skip="${2:-}" '{
        if (seen[$2] && $3 != "-" && $3 != last[$2] && (skip == "" || changes[$2]++)) print $2, $3
        seen[$2] = 1; if ($3 != "-") last[$2] = $3 }' "$1"
}

# How many of the pictures the samples show.
pictures_seen() {
    awk '$3 != "-" { print $3 }' "$1" | sort -u | wc -l
}

# Runs of anything else on a monitor (the built-in picture, a black screen)
# longer than a crossfade: more than two seconds of samples in a row.
long_strays() {
    awk '$3 == "-" { if (!run[$2]) from[$2] = $1; run[$2] = 1; if ($1 - from[$2] > 2000) long++ }
        $3 != "-" { run[$2] = 0 } END { print long + 0 }' "$1"
}

# ---------------------------------------------------------------- on the share

e2e_start_two_monitors
e2e_move_mouse 400 300
started=$(e2e_now_ms)
e2e_start_saver library_first_picture_during_the_listing "$saver" /s || e2e_finish
echo "first picture settled $(($(e2e_now_ms) - started)) ms after the start"
job=$E2E_SAVER
# The read that does not end may begin after the first picture (and a
# screenshot may catch a change): both are waited for, the read seen under
# way before and after the picture.
picture_during_the_stall() {
    test -e "$library.stalled" && read -r deleted _ <<<"$(shown_now 0)" && test "$deleted" != - -a -e "$library.stalled"
}
e2e_deadline 20
e2e_await library_first_picture_during_the_listing \
    "no library picture while the read of the folder that does not answer was under way" picture_during_the_stall ||
    e2e_finish
e2e_pass library_first_picture_during_the_listing

# That picture, on the first monitor, is deleted while it shows. The shuffle
# shows each picture once before any comes again; with N pictures listed, at
# most N - 1 come before the next round, so by 2 N - 1 showings after the
# deletion its next turn has passed.
find "$library" -name "$deleted.bmp" -delete
[ -z "$(find "$library" -name "$deleted.bmp")" ] || e2e_abort "$deleted.bmp could not be deleted"
turns=$((2 * ${#PICTURES[@]} - 1))
past_its_turn() { [ "$(showings "$1" decoded_since | wc -l)" -ge "$turns" ]; }
samples=$E2E_WORK/samples.txt
sample "$samples" 45000 past_its_turn

e2e_expect library_deleted_picture_turn_passed \
    "only $(showings "$samples" decoded_since | wc -l) showings of $turns in 45 s" past_its_turn "$samples"
again=$(showings "$samples" decoded_since | awk -v gone="$deleted" '$2 == gone' | wc -l)
e2e_expect library_deleted_picture_never_shows "$deleted came again $again times" test "$again" = 0
seen=$(awk '$3 != "-" { print $3 }' "$samples" | sort -u | tr '\n' ' ')
e2e_expect library_shows_every_picture "saw only: $seen" test "$seen" = "blue green red yellow "
stray=$(long_strays "$samples")
e2e_expect library_shows_only_its_pictures "$stray samples in a long run of something else" test "$stray" = 0
for monitor in 0 1; do
    changes=$(showings "$samples" | awk -v m="$monitor" '$1 == m' | wc -l)
    e2e_expect "library_monitor_${monitor}_changes" "$changes changes" test "$changes" -ge 2
done
same=$(awk '{ shown[$1, $2] = $3; t[$1] = 1 }
    END { for (s in t) if (shown[s, 0] != "-" && shown[s, 0] == shown[s, 1]) n++; print n + 0 }' "$samples")
e2e_expect library_monitors_differ "$same samples showed one picture on both monitors" test "$same" = 0

# A frame between two pictures on one monitor is their blend: the colour a
# fraction t of the way from the first to the second.
blends=$(tr , ' ' <"$samples" | awk '
    $3 != "-" {
        if (prev[$2] != "" && prev[$2] != $3) {
            split(prevc[$2], a, " "); b[1] = $4; b[2] = $5; b[3] = $6
            k = split(mid[$2], between, ";")
            for (j = 2; j <= k; j++) {
                split(between[j], p, " "); num = 0; den = 0; off = 0
                for (i = 1; i <= 3; i++) { num += (p[i] - a[i]) * (b[i] - a[i]); den += (b[i] - a[i]) ^ 2 }
                t = num / den
                for (i = 1; i <= 3; i++) { d = p[i] - (a[i] + t * (b[i] - a[i])); if (d * d > off) off = d * d }
                if (t > 0.1 && t < 0.9 && off < 400) count++
            }
        }
        prev[$2] = $3; prevc[$2] = $4 " " $5 " " $6; mid[$2] = ""; next
    }
    { mid[$2] = mid[$2] ";" $4 " " $5 " " $6 }
    END { print count + 0 }')
e2e_expect library_crossfades "no frame between two pictures was their blend" test "$blends" -ge 1

e2e_key space
saver_gone() { ! e2e_window_shown "$E2E_SAVER_TITLE" >/dev/null; }
e2e_expect library_ends_on_a_key_during_the_listing "the saver's window still up 1 s after the key" \
    e2e_wait_until 1 saver_gone
e2e_expect library_saves_the_last_picture_during_the_listing "no LastFolderPicture saved within 5 s" \
    e2e_wait_until 5 grep -q '^LastFolderPicture=' "$ini"
touch "$library.release"
e2e_wait_job "$job" 10
e2e_expect library_exits_once_the_share_answers "exit code ${E2E_EXIT_CODE:-none (still running after 10 s)}" \
    test "$E2E_EXIT_CODE" = 0

# ---------------------------------------------------------------- offline

# cache_bytes: what the cache holds, its temporary files aside.
cache_bytes() {
    du -sb --exclude='*.tmp' "$cache" | cut -f1
}
cap=$((3 << 20))
sed -i 's/^CacheMegabytes=.*/CacheMegabytes=3\r/' "$ini"
ls -l "$cache" >"$E2E_ARTIFACTS/cache-before.txt"
[ "$(cache_bytes)" -gt "$cap" ] || e2e_abort "the first run left only $(cache_bytes) bytes in the cache, not more than the lowered cap"
# The copy of the picture the run ended on (which names it; the next start
# does not begin with it, so nothing shows it before the cache is opened),
# as if shown a day ago: the least recently shown goes first.
last=$(tr -d '\r' <"$ini" | sed -n 's/^LastFolderPicture=.*\\//p')
oldest=$(grep -l -a -F "\\$last" "$cache"/*.vpc | head -1)
[ -n "$oldest" ] || e2e_abort "no copy of $last, the picture the run ended on"
touch -d '1 day ago' "$oldest"

# The share gone, as on a laptop away from the office; one monitor, so that
# one picture shows first.
e2e_unmount_slow_folder "$share"
e2e_wait_until 10 rmdir "$share" || e2e_abort "the slow folder could not be unmounted"
e2e_start_display 1024 768
POINTS=("512 420")
started=$(e2e_now_ms)
e2e_start_saver library_offline_start "$saver" /s || e2e_finish
echo "offline: cached picture settled $(($(e2e_now_ms) - started)) ms after the start"
job=$E2E_SAVER
# The first change may come soon after the first picture has settled: a
# screenshot that catches its crossfade is taken again.
cached_picture_shown() { read -r first _ <<<"$(shown_now 0)" && test "$first" != -; }
e2e_deadline 5
e2e_await library_offline_starts_with_a_cached_picture "the screen showed none of the pictures" cached_picture_shown &&
    e2e_pass library_offline_starts_with_a_cached_picture
offline=$E2E_WORK/offline.txt
# Until the next picture has come (its crossfade, where something else may
# stray, included).
two_seen() { [ "$(pictures_seen "$1")" -ge 2 ]; }
sample "$offline" 12000 two_seen
seen=$(pictures_seen "$offline")
e2e_expect library_offline_goes_on_with_cached_pictures "only $seen pictures showed" test "$seen" -ge 2
stray=$(long_strays "$offline")
e2e_expect library_offline_shows_only_cached_pictures "$stray samples in a long run of something else" test "$stray" = 0
e2e_key space
e2e_wait_job "$job" 10
e2e_expect library_offline_ends_on_a_key "exit code ${E2E_EXIT_CODE:-none (still running after 10 s)}" \
    test "$E2E_EXIT_CODE" = 0

ls -l "$cache" >"$E2E_ARTIFACTS/cache.txt"
bytes=$(cache_bytes)
copies=$(find "$cache" -name '*.vpc' | wc -l)
e2e_expect library_cache_within_its_cap "$bytes bytes in $copies copies" \
    test "$bytes" -le "$cap" -a "$copies" -ge 2
e2e_expect library_cache_evicts_the_least_recently_shown "$(basename "$oldest") is still there" test ! -e "$oldest"
elsewhere=$(find "$users" \( -name '*.vpc' -o -name '*.vpl' \) ! -path "$cache/*" | wc -l)
e2e_expect library_cache_only_in_local_app_data "$elsewhere cache files elsewhere" test "$elsewhere" = 0

# ---------------------------------------------------------------- changes

# Another library, which answers at once but for a subfolder that denies
# access: the listing still completes (the cache keeps it). Once every
# picture has a copy, its other subfolder is renamed: its picture is gone,
# and its copy never stands in for it. Then, between two starts, that
# subfolder goes and a file is rewritten into something unreadable: its old
# copy never shows for it once the folder has answered.
# From an empty cache, whose files the checks count.
rm -rf "$cache"
library=$E2E_WORK/library2
mkdir -p "$library/2024-06" "$library/denied"
e2e_colour_pictures "$library" "red 220,30,30" "yellow 220,200,30" "2024-06/green 30,200,30" "denied/blue 30,30,220"
share=$E2E_WORK/share2
e2e_mount_slow_folder "$library" "$share" 0 || e2e_abort "no second slow folder: $E2E_WHY"
printf '[Vitrane settings]\r\nUseCustomPic=1\r\nPictureFolder=%s\r\nSlideSeconds=5\r\nCacheMegabytes=1\r\n' \
    "$(e2e_winpath "$share")" >"$ini"
count() { find "$cache" -name "$1" | wc -l; }
listings=$(count '*.vpl')
copies=$(count '*.vpc')
e2e_start_saver library_changes_start "$saver" /s || e2e_finish
job=$E2E_SAVER
listing_kept() { [ "$(count '*.vpl')" -gt "$listings" ]; }
e2e_expect library_denied_subfolder_lets_the_listing_complete "no listing kept within 10 s" \
    e2e_wait_until 10 listing_kept
three_copies() { [ "$(count '*.vpc')" -ge $((copies + 3)) ]; }
e2e_wait_until 20 three_copies || e2e_abort "the three pictures had no copies after 20 s"
mv "$library/2024-06" "$library/2024-06 Holiday"
# The picture on screen and the one read ahead may still be the green one;
# once another has come, it never comes back.
sleep 10
renamed=$E2E_WORK/renamed.txt
sample "$renamed" 20000
green=$(awk '$3 != "-" && $3 != "green" { other = 1 } other && $3 == "green"' "$renamed" | wc -l)
e2e_expect library_renamed_subfolder_never_shows_again "green showed in $green samples" test "$green" = 0
e2e_key space
e2e_wait_job "$job" 10
rm -rf "$library/2024-06 Holiday"
printf 'no picture any more' >"$library/red.bmp"
e2e_start_saver library_changed_file_start "$saver" /s || e2e_finish
job=$E2E_SAVER
changed=$E2E_WORK/changed.txt
sample "$changed" 15000
# The first two pictures may be copies read before the folder answered;
# after them the two pictures would take turns, but red's file fails.
red=$(awk '$3 != "-" && $3 != last { shown++; last = $3 } shown > 2 && $3 == "red"' "$changed" | wc -l)
e2e_expect library_changed_file_never_shows_its_old_copy "red showed in $red samples" test "$red" = 0
e2e_key space
e2e_wait_job "$job" 10
e2e_finish
