#!/usr/bin/env bash
# Makes the compressed fixtures of the host tests with sox: two seconds of a
# 1 kHz tone as Ogg Vorbis and as MP3, each with a title in its tags. Also an
# ALSA configuration whose default device is the null device, for the test
# that plays through a sound device on a machine without one.
set -euo pipefail
dir="$1"
mkdir -p "$dir"
sox -n -r 44100 -c 2 --comment "Title=Vorbis tone" "$dir/tone.ogg" synth 2 sine 1000 vol 0.5
sox -n -r 44100 -c 2 --comment "Title=MP3 tone" "$dir/tone.mp3" synth 2 sine 1000 vol 0.5
mkdir -p "$dir/null-sound-home"
printf 'pcm.!default {\n    type null\n}\n' > "$dir/null-sound-home/.asoundrc"
