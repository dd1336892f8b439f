#!/usr/bin/env bash
# Makes the intake benchmark corpus: COUNT MP3 files of about 1 MB in DIR/songs/<artist>/<album>,
# 100 files a folder, as an add run meets them on a disk:
#   94% with an ID3v1 tag of their own (artist, album, title, year and comment all differ),
#    5% without a tag, named "NN Artist - Title.mp3" (filename recognition),
#    1% corrupt: random bytes, or a song cut to a few bytes.
# Across all of them the audio is 45% CBR, 45% VBR with a Xing header and 10% VBR without one
# (whose length is only known by walking every frame). A few base songs are encoded with lame
# from generated audio and copied; the tag goes on the copy.
#
#   bench/make-intake-corpus.sh [DIR [COUNT]]
#
# DIR defaults to build/release/intake-corpus, COUNT to 10000 (about 10 GB). The output is
# deterministic (fixed seed) for given versions of ffmpeg and lame. When DIR already holds a
# finished corpus of the same recipe and count, it does nothing. Needs ffmpeg, lame and python3.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=${1:-$repo/build/release/intake-corpus}
count=${2:-10000}
recipe=1

if ! [[ "$count" =~ ^[0-9]+$ ]] || ((count < 100 || count > 99999)); then
    echo "make-intake-corpus: COUNT must be a number from 100 to 99999, not '$count'" >&2
    exit 2
fi
for tool in ffmpeg lame python3; do
    command -v "$tool" >/dev/null || {
        echo "make-intake-corpus: '$tool' is missing (scripts/install-deps.sh installs ffmpeg" \
            "and lame; python3 comes with Debian)" >&2
        exit 2
    }
done

stamp="$dir/corpus.stamp"
want="recipe=$recipe count=$count"
if [[ -f "$stamp" && "$(cat "$stamp")" == "$want" ]]; then
    echo "make-intake-corpus: $dir is up to date ($count files)"
    exit 0
fi

mkdir -p "$dir"
rm -f "$stamp"
# Only our own folder is removed: DIR may be a folder the caller keeps other things in.
rm -rf "$dir/songs"
work=$(mktemp -d "${TMPDIR:-/tmp}/intake-corpus.XXXXXX")
trap 'rm -rf "$work"' EXIT

# name rate seconds noise-colour lame-options, each base about 1 MB. "-t" leaves out the Xing
# frame that lame would put first in a VBR file: those bases are the header-less ones.
bases=(
    "cbr1 44100 64 pink -b 128"
    "cbr2 48000 64 white -b 128 -m s"
    "xing1 44100 52 pink -V 0"
    "xing2 44100 76 white -V 2"
    "bare1 44100 76 brown -V 2 -t"
    "bare2 48000 98 pink -V 4 -t"
)

# shellcheck source=corpus-common.sh
source "$(dirname "$0")/corpus-common.sh"

encodeBases make-intake-corpus "${bases[@]}"
for name in bare1 bare2; do
    if grep -qa -e Xing -e Info <(head -c 256 "$work/$name.mp3"); then
        echo "make-intake-corpus: $name still has a VBR header" >&2
        exit 1
    fi
done

echo "make-intake-corpus: writing $count files to $dir/songs"
python3 - "$work" "$dir/songs" "$count" <<'PYTHON'
import os
import random
import sys

work, songs, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
rng = random.Random(20240611)
bases = {}
for name in ("cbr1", "cbr2", "xing1", "xing2", "bare1", "bare2"):
    with open(os.path.join(work, name + ".mp3"), "rb") as f:
        bases[name] = f.read()

words = ["Love", "Night", "Rock", "Blue", "Song", "Heart", "Dance", "Fire", "Dream", "Road",
         "Rain", "Gold", "Motör", "Café", "Street", "Sun", "It's", "Home", "Silver", "River",
         "Stone", "Wild", "Summer", "Moon", "Ghost", "Angel", "Train", "Radio", "City", "Sky"]


def phrase(low, high, width):
    while True:
        text = " ".join(rng.choice(words) for _ in range(rng.randint(low, high)))
        if len(text) <= width:
            return text


def distinct(seen, make):
    while True:
        text = make()
        if text.lower() not in seen:
            seen.add(text.lower())
            return text


def field(text, width):
    data = text.encode("latin-1")
    return data[:width] + b"\0" * (width - len(data[:width]))


def id3v1(title, artist, album, year, comment, track, genre):
    # ID3v1.1: the comment's last two bytes are a zero and the track number.
    return (b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4)
            + field(comment, 28) + b"\0" + bytes([track % 256, genre]))


# Folders of 100 files, two albums per artist: 10,000 files make 50 artists and 100 folders.
perFolder = 100
folders = (count + perFolder - 1) // perFolder
seenArtists, seenAlbums, seenTitles = set(), set(), set()
artists = [distinct(seenArtists, lambda: phrase(1, 2, 20) + " " + rng.choice(
    ["Band", "Trio", "Project", "Orchestra", "Quartet", "Sisters", "Brothers", "Crew"]))
    for _ in range((folders + 1) // 2)]
albums = [distinct(seenAlbums, lambda: phrase(1, 3, 30)) for _ in range(folders)]

# What each file is: its tag status and, separately, its audio.
untagged = count * 5 // 100
corrupt = count // 100
status = ["corrupt"] * corrupt + ["untagged"] * untagged + ["tagged"] * (count - corrupt - untagged)
rng.shuffle(status)
bare = count // 10
cbr = (count - bare) // 2
audio = ["bare"] * bare + ["cbr"] * cbr + ["xing"] * (count - bare - cbr)
rng.shuffle(audio)

# Genres 0 to 79, but not 12 ("Other"), which a tag carries when it has no genre.
genres = [g for g in range(80) if g != 12]
made = {"tagged": 0, "untagged": 0, "corrupt": 0, "bare": 0}
for i in range(count):
    folder = i // perFolder
    artist, album = artists[folder // 2], albums[folder]
    track = i % perFolder + 1
    path = os.path.join(songs, artist, album)
    os.makedirs(path, exist_ok=True)
    title = distinct(seenTitles, lambda: phrase(1, 4, 30))
    base = bases[audio[i] + rng.choice("12")]
    kind = status[i]
    if kind == "untagged":
        name = "%02d %s - %s.mp3" % (track, artist, title)
        data, tag = base, b""
    else:
        name = "%02d %s.mp3" % (track, title)
        if kind == "corrupt":
            # Half random bytes of about a song's size, half a song cut to a few bytes.
            if i % 2:
                size = rng.randint(500_000, 1_100_000)
                data = rng.getrandbits(8 * size).to_bytes(size, "little")
            else:
                data = base[: rng.randint(1, 64)]
            tag = b""
        else:
            data = base
            year = str(rng.randint(1950, 2024))
            tag = id3v1(title, artist, album, year, "Bench file %05d" % i, track,
                        rng.choice(genres))
    with open(os.path.join(path, name), "wb") as out:
        out.write(data)
        out.write(tag)
    made[kind] += 1
    if kind != "corrupt" and audio[i] == "bare":
        made["bare"] += 1

print("make-intake-corpus: %(tagged)d tagged, %(untagged)d untagged, %(corrupt)d corrupt; "
      "%(bare)d readable files without a VBR header" % made)
PYTHON

echo "$want" >"$stamp"
echo "make-intake-corpus: done ($(du -sh "$dir/songs" | cut -f1))"
