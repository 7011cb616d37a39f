#!/bin/sh
# Makes the AVI recordings the tests read, into folder $1. Files already there are kept.
set -e
out=$1
mkdir -p "$out"
ff="ffmpeg -nostdin -v error -y"
make() {
  name=$1
  shift
  [ -s "$out/$name" ] || $ff "$@" "$out/$name.part.avi"
  [ -s "$out/$name" ] || mv "$out/$name.part.avi" "$out/$name"
}
# 10.5 s of MJPEG video with 10 s of PCM audio.
make av.avi -f lavfi -i testsrc=size=160x120:rate=25:duration=10.5 \
  -f lavfi -i sine=frequency=440:sample_rate=8000:duration=10 -c:v mjpeg -q:v 10 -c:a pcm_s16le
make video.avi -f lavfi -i testsrc=size=64x48:rate=15:duration=3 -c:v rawvideo -pix_fmt bgr24
make audio.avi -f lavfi -i sine=sample_rate=8000:duration=4 -c:a pcm_s16le
if [ "$2" = odml ]; then
  # Over 1 GiB of raw video: the writer continues in a RIFF AVIX segment.
  make odml.avi -f lavfi -i color=c=blue:size=1920x1080:rate=25:duration=23 -c:v rawvideo \
    -pix_fmt gray
fi
