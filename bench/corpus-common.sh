# Shared by the corpus generators: making a base song with ffmpeg and lame.
# Callers set $work (a scratch folder) before calling these.

# makeBase NAME RATE SECONDS COLOUR SEED LAME-OPTIONS...: $work/NAME.mp3
makeBase() {
    local name=$1 rate=$2 seconds=$3 colour=$4 seed=$5
    shift 5
    # A noise bed under two tones, one of them beeping, with a slow tremolo: enough change
    # over time for VBR to vary its frame sizes as it does on music.
    ffmpeg -nostdin -v error -y \
        -f lavfi -i "anoisesrc=c=$colour:a=0.3:seed=$seed:d=$seconds:r=$rate" \
        -f lavfi -i "sine=f=$((110 + seed * 55)):d=$seconds:r=$rate" \
        -f lavfi -i "sine=f=$((330 + seed * 20)):d=$seconds:r=$rate:beep_factor=3" \
        -filter_complex "[0][1][2]amix=inputs=3,tremolo=f=0.5:d=0.7,aformat=sample_fmts=s16:channel_layouts=stereo" \
        -bitexact -map_metadata -1 "$work/$name.wav"
    lame --quiet --noreplaygain "$@" "$work/$name.wav" "$work/$name.mp3"
    rm -f "$work/$name.wav"
}

# encodeBases TOOL BASE...: each BASE is "name rate seconds noise-colour lame-options"; makes
# $work/name.mp3 for each, two at a time, and stops the script when one failed.
encodeBases() {
    local tool=$1 base name rate seconds colour options seed=0
    shift
    echo "$tool: encoding $# base songs"
    for base in "$@"; do
        read -r name rate seconds colour options <<<"$base"
        seed=$((seed + 1))
        # shellcheck disable=SC2086 # the options are words on purpose
        makeBase "$name" "$rate" "$seconds" "$colour" "$seed" $options &
        # Two at a time: the machines this runs on have two cores.
        if (($(jobs -rp | wc -l) >= 2)); then
            wait -n
        fi
    done
    wait
    for base in "$@"; do
        read -r name _ <<<"$base"
        [[ -s "$work/$name.mp3" ]] || {
            echo "$tool: encoding $name failed" >&2
            exit 1
        }
    done
}
