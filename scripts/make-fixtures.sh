#!/usr/bin/env bash
# Regenerates the small audio fixtures committed under tests/data. Needs lame.
# The output is deterministic for one lame version, so re-running it changes nothing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
data="$root/tests/data"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

command -v lame >/dev/null || { echo "lame is needed (apt-get install lame)" >&2; exit 1; }

# A WAV file of silence: mono, 16-bit, $1 samples per second, $2 seconds.
silent_wav() {
  local rate=$1 seconds=$2 out=$3
  local bytes=$((rate * seconds * 2))
  le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 >> 16 & 255)))\\x$(printf %02x $(($1 >> 24 & 255)))"; }
  {
    printf 'RIFF'; le32 $((36 + bytes)); printf 'WAVEfmt '
    le32 16; printf '\x01\x00\x01\x00'; le32 "$rate"; le32 $((rate * 2)); printf '\x02\x00\x10\x00'
    printf 'data'; le32 "$bytes"
    head -c "$bytes" /dev/zero
  } >"$out"
}

# --- ID3v1 tag reader and writer -----------------------------------------------------------
# One second of silence at 8 kbit/s: a file of about one kilobyte. tagged.mp3 is the same audio
# followed by an ID3v1 tag as lame writes it (fields padded with zero bytes, genre 17 "Rock").
mkdir -p "$data/id3v1"
silent_wav 8000 1 "$work/silence.wav"
lame_opts=(--quiet -m m -b 8 --resample 8 --noreplaygain)
lame "${lame_opts[@]}" "$work/silence.wav" "$data/id3v1/untagged.mp3"
lame "${lame_opts[@]}" --id3v1-only --tt "Silent Night" --ta "The Testers" --tl "Fixtures" \
  --ty 1999 --tc "one second" --tg Rock "$work/silence.wav" "$data/id3v1/tagged.mp3"
