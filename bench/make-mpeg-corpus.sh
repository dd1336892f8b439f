#!/usr/bin/env bash
# Makes the MPEG benchmark corpus: COUNT files of about 1 MB each in DIR, about 45% CBR,
# 45% VBR with a Xing header and 10% VBR without one (the files whose exact length can only be
# had by walking every frame). A few base songs are encoded with lame from generated audio and
# copied; each copy gets its own ID3v1 tag so that no two files are alike.
#
#   bench/make-mpeg-corpus.sh [DIR [COUNT]]
#
# DIR defaults to build/release/mpeg-corpus. The output is deterministic for given versions of
# ffmpeg and lame. When DIR already holds a finished corpus of the same recipe and count, it
# does nothing.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=${1:-$repo/build/release/mpeg-corpus}
count=${2:-1000}
recipe=3

if ! [[ "$count" =~ ^[0-9]+$ ]] || ((count < 1 || count > 99999)); then
    echo "make-mpeg-corpus: COUNT must be a number from 1 to 99999, not '$count'" >&2
    exit 2
fi
for tool in ffmpeg lame; do
    command -v "$tool" >/dev/null || {
        echo "make-mpeg-corpus: '$tool' is missing (scripts/install-deps.sh installs it)" >&2
        exit 2
    }
done

stamp="$dir/corpus.stamp"
want="recipe=$recipe count=$count"
if [[ -f "$stamp" && "$(cat "$stamp")" == "$want" ]]; then
    echo "make-mpeg-corpus: $dir is up to date ($count files)"
    exit 0
fi

mkdir -p "$dir"
rm -f "$stamp"
# Only our own names are removed: DIR may be a folder the caller keeps other things in.
find "$dir" -maxdepth 1 \( -name '[0-9]*-cbr.mp3' -o -name '[0-9]*-xing.mp3' -o \
    -name '[0-9]*-bare.mp3' \) -delete
work=$(mktemp -d "${TMPDIR:-/tmp}/mpeg-corpus.XXXXXX")
trap 'rm -rf "$work"' EXIT

# name rate seconds noise-colour lame-options. VBR lengths are chosen so that every base
# comes out at about 1 MB; the 22.05 kHz one is MPEG-2.
bases=(
    "cbr1 44100 60 pink -b 128"
    "cbr2 44100 60 white -b 128 -m s"
    "cbr3 48000 60 brown -b 128"
    "cbr4 22050 120 pink -b 64"
    "xing1 44100 52 pink -V 0"
    "xing2 44100 76 white -V 2"
    "xing3 48000 76 brown -V 2"
    "xing4 44100 98 pink -V 4"
    "bare1 44100 76 pink -V 2 -t"
    "bare2 44100 52 white -V 0 -t"
    "bare3 48000 98 brown -V 4 -t"
    "bare4 44100 76 brown -V 2 -t"
)

# shellcheck source=corpus-common.sh
source "$(dirname "$0")/corpus-common.sh"

encodeBases make-mpeg-corpus "${bases[@]}"

# ID3v1 block: "TAG", title 30, artist 30, album 30, year 4, comment 28, zero, track, genre.
id3v1() {
    local index=$1 kind=$2
    printf 'TAG%-30.30s%-30.30s%-30.30s%-4.4s%-28.28s\0%b%b' \
        "Corpus song $index" "Tamboro bench" "Corpus $kind" "2024" "file $index of $count" \
        "\\x$(printf '%02x' $((index % 256)))" "\\x$(printf '%02x' $((index % 148)))"
}

echo "make-mpeg-corpus: writing $count files to $dir"
cbr=(cbr1 cbr2 cbr3 cbr4)
xing=(xing1 xing2 xing3 xing4)
bare=(bare1 bare2 bare3 bare4)
for ((i = 0; i < count; i++)); do
    # Out of every 20 files: 2 without a VBR header, then CBR and Xing VBR in turns (9 each).
    r=$((i % 20))
    pick=$(((i / 20) % 4))
    if ((r < 2)); then
        kind=bare base=${bare[(pick * 2 + r) % 4]}
    elif (((r - 2) % 2 == 0)); then
        kind=cbr base=${cbr[(pick + r / 2) % 4]}
    else
        kind=xing base=${xing[(pick + r / 2) % 4]}
    fi
    file=$(printf '%s/%04d-%s.mp3' "$dir" "$i" "$kind")
    {
        cat "$work/$base.mp3"
        id3v1 "$i" "$kind"
    } >"$file"
done

echo "$want" >"$stamp"
echo "make-mpeg-corpus: done ($(du -sh "$dir" | cut -f1))"
