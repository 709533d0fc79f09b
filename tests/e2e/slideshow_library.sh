#!/usr/bin/env bash
# A picture library on a slow share (lib.sh's slow folder: every directory
# read a second late, and one subfolder that does not answer): the first
# picture shows although the listing does not end; a picture deleted while
# the saver runs never shows again, and nothing but the library's pictures
# does; a key during the listing gives the screen back at once and saves the
# last picture while the listing still hangs, and the program ends with exit
# code 0 once the share lets go of its read (a read the FUSE daemon has taken
# cannot be interrupted). Then the share is gone: the next start shows the
# pictures the cache kept, at once and never the built-in picture, and the
# cache, in the user's LocalAppData, stays within its cap.
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

# name and colour of each picture.
PICTURES=("red 220,30,30" "green 30,200,30" "blue 30,30,220" "yellow 220,200,30")

library=$E2E_WORK/library
mkdir -p "$library/stalled"
e2e_colour_pictures "$library" "${PICTURES[@]}" "stalled/violet 140,40,200"
share=$E2E_WORK/share
e2e_mount_slow_folder "$library" "$share" 1 || e2e_abort "the slow folder could not be mounted (see slow_folder.log)"
saver=$(e2e_install_saver)
printf '[Vitrane settings]\r\nUseCustomPic=1\r\nPictureFolder=%s\r\nSlideSeconds=5\r\nCacheMegabytes=1\r\n' \
    "$(e2e_winpath "$share")" >"$(dirname "$saver")/Vitrane.ini"
# The cache starts with a stale copy that fills most of the 1 MiB cap: the
# copies the run stores must evict it.
users=$WINEPREFIX/drive_c/users
cache=$users/$(id -un)/AppData/Local/Vitrane
rm -rf "$cache"
mkdir -p "$cache"
head -c 1000000 /dev/zero >"$cache/0123456789abcdef.vpc"
touch -d '1 day ago' "$cache/0123456789abcdef.vpc"

e2e_start_display 1024 768
e2e_move_mouse 500 300
started=$(e2e_now_ms)
e2e_start_saver library_first_picture_during_the_listing "$saver" /s || e2e_finish
e2e_pass library_first_picture_during_the_listing
echo "first picture settled $(($(e2e_now_ms) - started)) ms after the start"
job=$E2E_SAVER

# The picture in the middle of the screen: its name, or "-".
shown_now() {
    local rgb
    rgb=$(e2e_pixel "$(e2e_screenshot library)" 512 420)
    awk -v rgb="$rgb" -v pictures="${PICTURES[*]}" 'BEGIN {
        split(rgb, p, ","); n = split(pictures, word, " "); shown = "-"
        for (i = 1; i < n; i += 2) {
            split(word[i + 1], c, ",")
            if ((p[1] - c[1]) ^ 2 < 256 && (p[2] - c[2]) ^ 2 < 256 && (p[3] - c[3]) ^ 2 < 256) shown = word[i]
        }
        print shown, rgb }'
}

# sample_pictures FILE MILLISECONDS: "ms-since-start name rgb" of the middle
# of the screen, as often as it can be taken, while the saver runs.
sample_pictures() {
    local start
    start=$(e2e_now_ms)
    while [ $(($(e2e_now_ms) - start)) -lt "$2" ] && e2e_job_running "$job"; do
        echo "$(($(e2e_now_ms) - start)) $(shown_now)" >>"$1"
    done
    cp "$1" "$E2E_ARTIFACTS/"
}

# How many of the pictures the samples show.
pictures_seen() {
    awk '$2 != "-" { print $2 }' "$1" | sort -u | wc -l
}

# Runs of anything else (the built-in picture, a black screen) longer than a
# crossfade: more than two seconds of samples in a row.
long_strays() {
    awk '$2 == "-" { if (!run) from = $1; run = 1; if ($1 - from > 2000) long++ } $2 != "-" { run = 0 }
        END { print long + 0 }' "$1"
}

# The first picture is deleted while it shows; for 25 s after that (five
# changes), every sample is taken.
read -r deleted _ <<<"$(shown_now)"
e2e_expect library_shows_a_library_picture "the screen showed none of the pictures" test "$deleted" != -
rm -f "$library/$deleted.bmp"
samples=$E2E_WORK/samples.txt
sample_pictures "$samples" 25000

# Once another picture has come, the deleted one never comes back.
again=$(awk -v gone="$deleted" '$2 != "-" && $2 != gone { other = 1 } other && $2 == gone' "$samples" | wc -l)
e2e_expect library_deleted_picture_never_shows "$deleted showed in $again samples after another picture" test "$again" = 0
seen=$(pictures_seen "$samples")
e2e_expect library_goes_on_with_the_others "only $seen pictures showed" test "$seen" -ge 2
stray=$(long_strays "$samples")
e2e_expect library_shows_only_its_pictures "$stray samples in a long run of something else" test "$stray" = 0

e2e_key space
saver_gone() { ! e2e_window_shown "$E2E_SAVER_TITLE" >/dev/null; }
e2e_expect library_ends_on_a_key_during_the_listing "the saver's window still up 1 s after the key" \
    e2e_wait_until 1 saver_gone
ini=$(dirname "$saver")/Vitrane.ini
e2e_expect library_saves_the_last_picture_during_the_listing "no LastFolderPicture saved within 5 s" \
    e2e_wait_until 5 grep -q '^LastFolderPicture=' "$ini"
touch "$library.release"
e2e_wait_job "$job" 10
e2e_expect library_exits_once_the_share_answers "exit code ${E2E_EXIT_CODE:-none (still running after 10 s)}" \
    test "$E2E_EXIT_CODE" = 0

# The share gone, as on a laptop away from the office.
for mount in "${E2E_MOUNTS[@]}"; do
    kill "${mount%% *}" 2>/dev/null
    fusermount -uz "${mount#* }" 2>/dev/null
done
e2e_wait_until 10 rmdir "$share" || e2e_abort "the slow folder could not be unmounted"
started=$(e2e_now_ms)
e2e_start_saver library_offline_start "$saver" /s || e2e_finish
echo "offline: cached picture settled $(($(e2e_now_ms) - started)) ms after the start"
job=$E2E_SAVER
read -r first _ <<<"$(shown_now)"
e2e_expect library_offline_starts_with_a_cached_picture "the screen showed none of the pictures" test "$first" != -
offline=$E2E_WORK/offline.txt
sample_pictures "$offline" 12000
seen=$(pictures_seen "$offline")
e2e_expect library_offline_goes_on_with_cached_pictures "only $seen pictures showed" test "$seen" -ge 2
stray=$(long_strays "$offline")
e2e_expect library_offline_shows_only_cached_pictures "$stray samples in a long run of something else" test "$stray" = 0
e2e_key space
e2e_wait_job "$job" 10
e2e_expect library_offline_ends_on_a_key "exit code ${E2E_EXIT_CODE:-none (still running after 10 s)}" \
    test "$E2E_EXIT_CODE" = 0

ls -l "$cache" >"$E2E_ARTIFACTS/cache.txt"
bytes=$(du -sb --exclude='*.tmp' "$cache" | cut -f1)
copies=$(find "$cache" -name '*.vpc' | wc -l)
e2e_expect library_cache_within_its_cap "$bytes bytes in $copies copies" \
    test "$bytes" -le $((1 << 20)) -a "$copies" -ge 2 -a ! -e "$cache/0123456789abcdef.vpc"
elsewhere=$(find "$users" \( -name '*.vpc' -o -name '*.vpl' \) ! -path "$cache/*" | wc -l)
e2e_expect library_cache_only_in_local_app_data "$elsewhere cache files elsewhere" test "$elsewhere" = 0

# Another library, which answers at once but for a subfolder that denies
# access: the listing still completes (the cache keeps it). Once every
# picture has a copy, its other subfolder is renamed: its picture is gone,
# and its copy never stands in for it. Then, between two starts, that
# subfolder goes and a file is rewritten into something unreadable: its old
# copy never shows for it once the folder has answered.
library=$E2E_WORK/library2
mkdir -p "$library/2024-06" "$library/denied"
e2e_colour_pictures "$library" "red 220,30,30" "yellow 220,200,30" "2024-06/green 30,200,30" "denied/blue 30,30,220"
share=$E2E_WORK/share2
e2e_mount_slow_folder "$library" "$share" 0 || e2e_abort "the second folder could not be mounted (see slow_folder.log)"
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
sample_pictures "$renamed" 20000
green=$(awk '$2 != "-" && $2 != "green" { other = 1 } other && $2 == "green"' "$renamed" | wc -l)
e2e_expect library_renamed_subfolder_never_shows_again "green showed in $green samples" test "$green" = 0
e2e_key space
e2e_wait_job "$job" 10
rm -rf "$library/2024-06 Holiday"
printf 'no picture any more' >"$library/red.bmp"
e2e_start_saver library_changed_file_start "$saver" /s || e2e_finish
job=$E2E_SAVER
changed=$E2E_WORK/changed.txt
sample_pictures "$changed" 15000
# The first two pictures may be copies read before the folder answered;
# after them the two pictures would take turns, but red's file fails.
red=$(awk '$2 != "-" && $2 != last { shown++; last = $2 } shown > 2 && $2 == "red"' "$changed" | wc -l)
e2e_expect library_changed_file_never_shows_its_old_copy "red showed in $red samples" test "$red" = 0
e2e_key space
e2e_wait_job "$job" 10
e2e_finish
