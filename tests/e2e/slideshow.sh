#!/usr/bin/env bash
# A folder of pictures as a slideshow on two monitors (lib.sh): with
# SlideSeconds=5 every picture shows in turn, the one in a subfolder too, the
# undecodable files never; each change is a crossfade (a frame between two
# pictures is their blend); the two monitors never show the same picture at
# once; a key ends it with exit code 0.
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

# name and colour of each picture; one lies in a subfolder.
PICTURES=("red 220,30,30" "sub/green 30,200,30" "blue 30,30,220" "yellow 220,200,30" "violet 140,40,200")

folder=$E2E_WORK/Photos
mkdir -p "$folder/sub"
e2e_colour_pictures "$folder" "${PICTURES[@]}"
echo "not a picture" >"$folder/broken.jpg"
# What a copy from a Mac leaves beside each photo.
head -c 4096 /dev/urandom >"$folder/._red.bmp"
saver=$(e2e_install_saver)
printf '[Vitrane settings]\r\nUseCustomPic=1\r\nPictureFolder=%s\r\nSlideSeconds=5\r\n' "$(e2e_winpath "$folder")" \
    >"$(dirname "$saver")/Vitrane.ini"

e2e_start_two_monitors
e2e_move_mouse 400 300
e2e_start_saver slideshow_starts "$saver" /s || e2e_finish
job=$E2E_SAVER

# A point in the middle of each monitor's surface, sampled for 20 s:
# "seconds monitor r g b" per line.
samples=$E2E_WORK/samples.txt
points=("400 330" "1120 265")
start=$(e2e_now_ms)
while [ $(($(e2e_now_ms) - start)) -lt 20000 ] && e2e_job_running "$job"; do
    at=$(($(e2e_now_ms) - start))
    shot=$(e2e_screenshot slideshow)
    for monitor in 0 1; do
        read -r x y <<<"${points[$monitor]}"
        echo "$at $monitor $(e2e_pixel "$shot" "$x" "$y" | tr , ' ')" >>"$samples"
    done
done
cp "$samples" "$E2E_ARTIFACTS/samples.txt"

# Each sample as the picture it shows ("-" for anything else), per monitor.
steady=$(awk -v pictures="${PICTURES[*]}" '
    BEGIN {
        n = split(pictures, word, " ")
        for (i = 1; i < n; i += 2) { sub(/.*\//, "", word[i]); name[++k] = word[i]; colour[k] = word[i + 1] }
    }
    {
        shown = "-"
        for (i = 1; i <= k; i++) {
            split(colour[i], c, ",")
            if ((($3 - c[1]) ^ 2) < 256 && (($4 - c[2]) ^ 2) < 256 && (($5 - c[3]) ^ 2) < 256) shown = name[i]
        }
        print $1, $2, shown, $3, $4, $5
    }' "$samples")
echo "$steady" >"$E2E_ARTIFACTS/steady.txt"

seen=$(awk '$3 != "-" { print $3 }' <<<"$steady" | sort -u | tr '\n' ' ')
e2e_expect slideshow_shows_every_picture "saw only: $seen" test "$seen" = "blue green red violet yellow "

# Per monitor, the pictures in the order they came; each monitor changes.
for monitor in 0 1; do
    order=$(awk -v m="$monitor" '$2 == m && $3 != "-" && $3 != last { printf "%s ", $3; last = $3 }' <<<"$steady")
    e2e_expect "slideshow_monitor_${monitor}_changes" "showed: $order" test "$(wc -w <<<"$order")" -ge 3
done

# A frame between two pictures on one monitor is their blend: the colour a
# fraction t of the way from the first to the second.
blends=$(awk '
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
    END { print count + 0 }' <<<"$steady")
e2e_expect slideshow_crossfades "no frame between two pictures was their blend" test "$blends" -ge 1

same=$(awk '{ shown[$1, $2] = $3; t[$1] = 1 }
    END { for (s in t) if (shown[s, 0] != "-" && shown[s, 0] == shown[s, 1]) n++; print n + 0 }' <<<"$steady")
e2e_expect slideshow_monitors_differ "$same samples showed one picture on both monitors" test "$same" = 0

e2e_key space
e2e_wait_job "$job" 5
e2e_expect slideshow_ends_on_a_key "exit code ${E2E_EXIT_CODE:-none (still running after 5 s)}" test "$E2E_EXIT_CODE" = 0
e2e_finish
