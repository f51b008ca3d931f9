#!/bin/sh
# Makes codec-compressed wave files and, for each, the 16-bit PCM that the
# ffmpeg program decodes it to (NAME.wav and NAME.s16 in the output folder).
# Usage: make_codec_waves.sh OUTPUT_FOLDER
set -eu
out=$1
mkdir -p "$out"
mono="aevalsrc=0.4*sin(2*PI*440*t)+0.3*sin(2*PI*1234*t)*sin(2*PI*3*t):s=8000:d=2.5"
stereo="aevalsrc=0.4*sin(2*PI*440*t)|0.3*sin(2*PI*1234*t)*sin(2*PI*3*t):s=22050:d=2.5"

# Spoken words for the codecs that carry state from block to block (GSM,
# G.726): a steady tone keeps GSM's long-term predictor at full gain, so a
# decoder restarted mid-file would never meet the original again.
espeak-ng -w "$out/speech-source.wav" -s 190 "Please type this letter to Mister Smith about the invoice of \
last month, and send it back to the office by Friday. Thank you, and regards to everyone."

make() {  # make NAME SOURCE ENCODER-OPTIONS...
    name=$1; src=$2; shift 2
    case $src in
    *.wav) ffmpeg -nostdin -v error -y -i "$src" "$@" "$out/$name.wav" ;;
    *) ffmpeg -nostdin -v error -y -f lavfi -i "$src" "$@" "$out/$name.wav" ;;
    esac
    ffmpeg -nostdin -v error -y -i "$out/$name.wav" -f s16le "$out/$name.s16"
}

make ima "$mono" -c:a adpcm_ima_wav
make ima_stereo "$stereo" -c:a adpcm_ima_wav
make msadpcm "$mono" -c:a adpcm_ms
make msadpcm_stereo "$stereo" -c:a adpcm_ms
make gsm "$out/speech-source.wav" -ar 8000 -ac 1 -c:a libgsm_ms
make alaw "$mono" -c:a pcm_alaw
make mulaw "$mono" -c:a pcm_mulaw
make g726 "$out/speech-source.wav" -ar 8000 -ac 1 -c:a g726
make mp3 "$stereo" -c:a libmp3lame -b:a 64k
make float "$stereo" -c:a pcm_f32le

# The IMA file again with a chunk after its data chunk: a reader that runs
# past the data would decode the chunk's bytes as audio.
python3 - "$out/ima.wav" "$out/ima_trailing.wav" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
data += b'junk' + struct.pack('<I', 4096) + bytes(range(256)) * 16
struct.pack_into('<I', data, 4, len(data) - 8)
open(sys.argv[2], 'wb').write(data)
PY
