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

# --- Decoder library ---------------------------------------------------------------------------
# A few seconds of audio per file, in every stream kind whose length the decoder must get exactly,
# plus inputs that must be refused. Needs ffmpeg besides lame, and a C compiler with libmpg123
# for the measurements written into tests/data/mpeg/README.
command -v ffmpeg >/dev/null || { echo "ffmpeg is needed (apt-get install ffmpeg)" >&2; exit 1; }
mpeg="$data/mpeg"
mkdir -p "$mpeg"
ff=(ffmpeg -nostdin -v error -y)
bitexact=(-fflags +bitexact -flags:a +bitexact)

# 16-bit stereo PCM at 44.1 kHz from an aevalsrc expression pair (left|right), $2 seconds.
# random() is aevalsrc's own seeded generator, so the noise is the same on every run.
tone_wav() {
  "${ff[@]}" -f lavfi -i "aevalsrc='$1':s=44100:d=$2" -c:a pcm_s16le "${bitexact[@]}" "$3"
}
# Silence, then a tone, then noise: the bitrate of a VBR encoding swings from the lowest to a
# high one, so the first frame says nothing about the average.
tone_wav "if(lt(t,0.7),0,if(lt(t,1.7),0.5*sin(2*PI*440*t),0.25*(random(0)*2-1)))|if(lt(t,0.7),0,if(lt(t,1.7),0.5*sin(2*PI*660*t),0.25*(random(1)*2-1)))" 3 "$work/mixed.wav"
tone_wav "if(lt(t,1),0.3*(random(0)*2-1),0.5*sin(2*PI*880*t))|if(lt(t,1),0.3*(random(1)*2-1),0.5*sin(2*PI*220*t))" 2 "$work/partA.wav"
tone_wav "0.4*sin(2*PI*(300+200*t)*t)|0.4*sin(2*PI*(500-100*t)*t)" 2 "$work/partB.wav"

lame_q=(lame --quiet --noreplaygain)
"${lame_q[@]}" -b 128 "$work/mixed.wav" "$mpeg/cbr128.mp3"              # with an Info header
"${lame_q[@]}" -V 5 "$work/mixed.wav" "$mpeg/vbr_xing.mp3"              # with a Xing header
"${lame_q[@]}" -V 5 -t "$work/mixed.wav" "$mpeg/vbr_noheader.mp3"       # no header frame at all
"${lame_q[@]}" -V 5 --add-id3v2 --pad-id3v2-size 500 --tt "Tagged" --ta "Fixtures" \
  "$work/mixed.wav" "$mpeg/vbr_xing_id3.mp3"                            # ID3v2 before, ID3v1 after
"${lame_q[@]}" -V 6 -m m --resample 22.05 "$work/mixed.wav" "$mpeg/mpeg2_mono_22k.mp3"
"${lame_q[@]}" -b 24 -m m --resample 8 "$work/mixed.wav" "$mpeg/mpeg25_8k.mp3"
"${ff[@]}" -i "$work/mixed.wav" -c:a mp2 -b:a 128k "${bitexact[@]}" -f mp2 "$mpeg/layer2.mp2"
# Two songs glued together: the first one's Xing header covers only the first part.
"${lame_q[@]}" -V 5 "$work/partA.wav" "$work/partA.mp3"
"${lame_q[@]}" -b 96 --resample 44.1 "$work/partB.wav" "$work/partB.mp3"
cat "$work/partA.mp3" "$work/partB.mp3" >"$mpeg/concatenated.mp3"

# Inputs that are not playable MPEG audio.
: >"$mpeg/empty.mp3"
"${ff[@]}" -f lavfi -i "anoisesrc=d=3:c=white:r=44100:a=1:seed=20240607" -ac 1 -f u8 "$work/noise.u8"
head -c 100000 "$work/noise.u8" >"$mpeg/random.mp3"
"${ff[@]}" -i "$work/mixed.wav" -c:a wmav2 -b:a 64k "${bitexact[@]}" -f asf "$mpeg/wma.mp3"
size=$(stat -c %s "$mpeg/vbr_xing.mp3")
head -c $((size / 3)) "$mpeg/vbr_xing.mp3" >"$mpeg/truncated.mp3"

# What libmpg123 itself reports for each playable file after a full scan, gapless decoding on.
cat >"$work/measure.c" <<'CEOF'
#include <mpg123.h>
#include <stdio.h>
int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        int err = 0;
        mpg123_handle* mh = mpg123_new(NULL, &err);
        long rate = 0;
        int channels = 0, encoding = 0;
        mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
        if (mpg123_open(mh, argv[i]) != MPG123_OK || mpg123_scan(mh) != MPG123_OK
            || mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK)
            return 1;
        const long samples = (long)mpg123_length(mh);
        printf("%ld %d %ld %ld %.3f\n", rate, channels, samples, (long)mpg123_framelength(mh),
               samples * 1000.0 / rate);
        mpg123_delete(mh);
    }
    return 0;
}
CEOF
"${CC:-cc}" -o "$work/measure" "$work/measure.c" $(pkg-config --cflags --libs libmpg123)

{
  echo "Decoder fixtures, made by scripts/make-fixtures.sh (lame $(lame --version | head -1 | awk '{print $4}'), ffmpeg)."
  echo
  echo "Playable files. \"samples\" is the sample count per channel that libmpg123 reports with"
  echo "gapless decoding after mpg123_scan() of the whole file (mpg123_length), \"frames\" its frame"
  echo "count (mpg123_framelength); \"true ms\" is samples * 1000 / rate, the length of the audio the"
  echo "file really holds. Measured by the small libmpg123 program inside make-fixtures.sh."
  echo "The sources are 3000 ms long (4000 ms for concatenated.mp3: 2000 + 2000); a file without a"
  echo "LAME header frame has no gapless information, so it also plays the encoder's delay and padding."
  echo
  printf '%-20s %6s %3s %8s %7s %10s  %s\n' file rate ch samples frames "true ms" kind
  while read -r name kind; do
    read -r rate ch samples frames ms < <("$work/measure" "$mpeg/$name")
    printf '%-20s %6s %3s %8s %7s %10s  %s\n' "$name" "$rate" "$ch" "$samples" "$frames" "$ms" "$kind"
  done <<'LIST'
cbr128.mp3 MPEG-1 Layer III, CBR 128 kbit/s, Info header
vbr_xing.mp3 MPEG-1 Layer III, VBR (lame -V 5), Xing header
vbr_noheader.mp3 MPEG-1 Layer III, VBR (lame -V 5 -t), no header frame
vbr_xing_id3.mp3 as vbr_xing.mp3 with an ID3v2 tag in front and an ID3v1 tag behind
mpeg2_mono_22k.mp3 MPEG-2 Layer III, mono, 22050 Hz, VBR, Xing header
mpeg25_8k.mp3 MPEG-2.5 Layer III, mono, 8000 Hz, CBR 24 kbit/s, Info header
layer2.mp2 MPEG-1 Layer II, CBR 128 kbit/s (ffmpeg), no header frame
concatenated.mp3 VBR with a Xing header for its first 2 s, then a 2 s CBR 96 kbit/s file
LIST
  echo
  echo "Inputs that are not playable MPEG audio:"
  echo "empty.mp3            0 bytes"
  echo "random.mp3           100000 bytes of seeded noise (ffmpeg anoisesrc, 8-bit samples)"
  echo "wma.mp3              a real WMA (ASF) file, wmav2 64 kbit/s, named .mp3"
  echo "truncated.mp3        the first third of vbr_xing.mp3: its Xing header vouches for more bytes"
} >"$mpeg/README"

# --- Intake ----------------------------------------------------------------------------------
# A small WMA file with every tag field intake reads. ffmpeg's ASF muxer puts the comment where
# TagLib does not look, so the tags are written by a small TagLib program instead.
mkdir -p "$data/intake"
silent_wav 16000 1 "$work/silence16k.wav"
"${ff[@]}" -i "$work/silence16k.wav" -c:a wmav2 -b:a 32k "${bitexact[@]}" -f asf "$work/plain.wma"
cat >"$work/asftag.cpp" <<'CEOF'
#include <asffile.h>
int main(int argc, char** argv)
{
    if (argc != 7)
        return 2;
    TagLib::ASF::File file(argv[1]);
    if (!file.isValid())
        return 1;
    TagLib::ASF::Tag* tag = file.tag();
    tag->setArtist(TagLib::String(argv[2], TagLib::String::UTF8));
    tag->setTitle(TagLib::String(argv[3], TagLib::String::UTF8));
    tag->setAlbum(TagLib::String(argv[4], TagLib::String::UTF8));
    tag->setComment(TagLib::String(argv[5], TagLib::String::UTF8));
    tag->setGenre(TagLib::String(argv[6], TagLib::String::UTF8));
    return file.save() ? 0 : 1;
}
CEOF
"${CXX:-c++}" -o "$work/asftag" "$work/asftag.cpp" $(pkg-config --cflags --libs taglib)
cp "$work/plain.wma" "$data/intake/tagged.wma"
"$work/asftag" "$data/intake/tagged.wma" "Wma Artist" "Wma Title" "Wma Album" "Wma comment" "Jazz"
