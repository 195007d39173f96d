#!/usr/bin/env bash
# examples/make-sample-session.sh DIR
#
# Writes a night's sample session into DIR: 36 small JPEGs tagged with a
# creation date and the exposure time the camera recorded, and the release's
# shot log Zelmaro.txt. The camera clock runs 7 seconds ahead of the release,
# the log misses the second-to-last shot, one entry is 3 seconds off,
# and one short exposure carries a wrong value in the image.
set -euo pipefail
dir=${1:?usage: $0 DIR}
command -v exiftool >/dev/null || { echo "exiftool is missing (apt-get install libimage-exiftool-perl)" >&2; exit 1; }
mkdir -p "$dir"
rm -f "$dir"/IMG_*.JPG "$dir/Zelmaro.txt"

base64 -d > "$dir/.base.jpg" <<'JPEG'
/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAoHBwgHBgoICAgLCgoLDhgQDg0NDh0VFhEYIx8lJCIf
IiEmKzcvJik0KSEiMEExNDk7Pj4+JS5ESUM8SDc9Pjv/2wBDAQoLCw4NDhwQEBw7KCIoOzs7Ozs7
Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozs7Ozv/wAARCAAQABgDASIA
AhEBAxEB/8QAFgABAQEAAAAAAAAAAAAAAAAAAAQH/8QAFhABAQEAAAAAAAAAAAAAAAAAABNh/8QA
FgEBAQEAAAAAAAAAAAAAAAAAAAME/8QAFhEBAQEAAAAAAAAAAAAAAAAAABIT/9oADAMBAAIRAxEA
PwDM7aW1DbS2tOiUrraIbaGhL//Z
JPEG

start=$(date -u -d '2008-01-05 21:03:07' +%s)
offset=7
# Exposure times the release really used (log side, decimal comma) and what
# the camera wrote into the image (exiftool syntax).
log_exposure=(0,004 0,004 0,004 0,004 0,004 0,004 0,004 0,004
              30 45 60 60 90 90 120 120 3,2 0,5 30 45 60 60 90 90
              120 120 150 150 180 180 240 240 300 300 30 30)
cam_exposure=(1/250 1/250 1/250 1/250 1/250 1/200 1/250 1/250
              30 30 30 30 30 30 30 30 3.2 0.8 30 30 30 30 30 30
              30 30 30 30 30 30 30 30 30 30 30 30)
log="Zelmaro"$'\r\n'
line=""
t=$start
for i in "${!log_exposure[@]}"; do
  name=$(printf 'IMG_%04d.JPG' $((i + 1)))
  cp "$dir/.base.jpg" "$dir/$name"
  image_time=$((t + offset))
  exiftool -q -overwrite_original \
    -CreateDate="$(date -u -d @$image_time '+%Y:%m:%d %H:%M:%S')" \
    -ExposureTime="${cam_exposure[$i]}" "$dir/$name"
  logged=$t
  [ "$i" -eq 17 ] && logged=$((t - 3))  # 3 seconds off
  if [ "$i" -ne 34 ]; then              # the release missed this one
    line+="-$(date -u -d @$logged '+%y%m%d%H%M%S')${log_exposure[$i]}"
  fi
  if [ $(((i + 1) % 4)) -eq 0 ]; then
    log+="$line-"$'\r\n'
    line=""
  fi
  # the next shot starts after this exposure and a pause
  exp=${log_exposure[$i]%%,*}
  t=$((t + exp + 40))
done
[ -n "$line" ] && log+="$line-"$'\r\n'
printf '%s' "$log" > "$dir/Zelmaro.txt"
rm -f "$dir/.base.jpg"
echo "Sample session written to $dir (${#log_exposure[@]} images)."
