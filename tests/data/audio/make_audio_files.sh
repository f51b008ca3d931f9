#!/bin/sh
# Makes the audio files of the any-audio import tests in folder $1: two
# seconds of tone in every format a dictation arrives in, most with title and
# artist tags, and beside each NAME the 16-bit PCM the ffmpeg program decodes
# it to (NAME.s16, raw little-endian, the file's own rate and channels).
set -e
out="$1"
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
# ffx KIND INPUT-FILTER ENCODER-OPTIONS... OUTPUT: one tagged file.
ffx() {
  kind="$1"; filter="$2"; shift 2
  ff -f lavfi -i "$filter" -metadata "title=Board minutes $kind" -metadata "artist=Dr Ann Hale" "$@"
}

# A tone whose pitch moves, so that a dropped or doubled block shows.
tone() { echo "aevalsrc=0.4*sin(2*PI*(300+100*t)*t)|0.3*sin(2*PI*500*t):s=$1:d=2"; }
mono() { echo "aevalsrc=0.4*sin(2*PI*(300+100*t)*t):s=$1:d=2"; }

ffx mp3 "$(tone 44100)" -c:a libmp3lame -b:a 96k tone.mp3
ffx m4a "$(mono 48000)" -c:a aac -b:a 64k tone.m4a
ffx ogg "$(tone 44100)" -c:a libvorbis tone.ogg
ffx opus "$(mono 48000)" -c:a libopus -b:a 32k tone.opus
# The lossless file is encoded from 16-bit samples kept beside it.
ff -f lavfi -i "$(tone 44100)" -f s16le -ac 2 tone.flac.source.s16
ff -f s16le -ar 44100 -ac 2 -i tone.flac.source.s16 -metadata "title=Board minutes flac" \
  -metadata "artist=Dr Ann Hale" -c:a flac tone.flac
ffx wma "$(tone 44100)" -c:a wmav2 tone.wma
ffx webm "$(tone 48000)" -c:a libopus tone.webm
ffx mka "$(mono 22050)" -c:a libvorbis tone.mka
# Debian's ffmpeg has no AMR encoder; sox writes AMR-NB (8000 Hz mono).
ff -f lavfi -i "$(mono 8000)" -f s16le -ac 1 -ar 8000 tone-8k.raw
sox -t raw -r 8000 -e signed -b 16 -c 1 tone-8k.raw -t amr-nb tone.amr
rm -f tone-8k.raw
# No tags at all: the record takes its name from the file name.
ff -f lavfi -i "$(mono 16000)" -map_metadata -1 -c:a libmp3lame -b:a 32k plain.mp3

for f in tone.mp3 tone.m4a tone.ogg tone.opus tone.flac tone.wma tone.webm tone.mka tone.amr plain.mp3; do
  ff -i "$f" -f s16le "$f.s16"
done

# Not audio at all, and audio cut off in its middle.
printf 'Dear typist,\nthis is a letter, not a recording.\n' > letter.mp3
head -c 9000 tone.mp3 > cut.mp3
