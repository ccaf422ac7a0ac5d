#!/bin/bash
# Synthesises the sample game's sounds with `sox` and encodes them as Ogg
# Vorbis with `oggenc` (packages sox and vorbis-tools): every effect the
# engine, the mini-games and the sample's scripts play by name, under
# data/Data/Shared/Sfx/, and the two music tracks under
# data/Data/Shared/Music/. Nothing is recorded, so the sounds are the
# project's own. The results are committed, so neither the build nor the
# game needs the packages; run this again only to change the sounds.
#
#   data/source/make_sounds.sh
#
# Effects are mono at 22050 Hz and last well under a second; the music is
# mono too, a few plucked phrases over a soft pad, about 24 seconds a track
# (the scripts list the tracks with pauses between them).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
sfx=$root/data/Data/Shared/Sfx
music=$root/data/Data/Shared/Music

for program in sox oggenc; do
  command -v "$program" >/dev/null ||
    { echo "make_sounds: needs $program (apt-get install sox vorbis-tools)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$sfx" "$music"

# Sample rate and encoder quality: small files that still sound clean on
# laptop speakers.
rate=22050
quality=1

# synth NAME SOX-ARGS...: one effect from the null input, normalised so
# every effect sits at the same loudness, encoded into Sfx/NAME.ogg.
synth() {
  local name=$1
  shift
  sox -R -V1 -n -r "$rate" -c 1 -b 16 "$work/$name.wav" "$@" norm -3
  oggenc -Q --serial 1 -q "$quality" -o "$sfx/$name.ogg" "$work/$name.wav"
}

# click DURATION FREQ: a short struck sound (wood, metal or plastic by its
# pitch) that dies away at once.
click() { echo synth "$1" pluck "$2" fade 0 "$1" "$(echo "$1 * 0.8" | bc -l)"; }

# The GUI's button click and the code lock's check: a small wooden knock.
synth bestaetigung_drop_hit_wood_button synth 0.12 pluck 330 synth 0.12 brownnoise mix fade 0 0.12 0.1 lowpass 1800
# Wrong clicks of the mini-games: a dull, falling double knock.
synth undo_drop_hit_button synth 0.22 sine 220-110 fade 0 0.22 0.2 tremolo 18 90
# A finished mini-game: a rising major arpeggio.
sox -R -n -r "$rate" -c 1 "$work/a.wav" synth 0.14 pluck 523 fade 0 0.14 0.1
sox -R -n -r "$rate" -c 1 "$work/b.wav" synth 0.14 pluck 659 fade 0 0.14 0.1
sox -R -n -r "$rate" -c 1 "$work/c.wav" synth 0.5 pluck 784 synth 0.5 sine mix 1568 fade 0 0.5 0.45
sox -R "$work/a.wav" "$work/b.wav" "$work/c.wav" -b 16 "$work/solved.wav" reverb 40 norm -3
oggenc -Q --serial 1 -q "$quality" -o "$sfx/minigame_solved.ogg" "$work/solved.wav"
# A found object: two bright bell notes.
sox -R -n -r "$rate" -c 1 "$work/f1.wav" synth 0.1 sine 1318 fade 0 0.1 0.06
sox -R -n -r "$rate" -c 1 "$work/f2.wav" synth 0.35 sine 1760 fade 0 0.35 0.33
sox -R "$work/f1.wav" "$work/f2.wav" -b 16 "$work/found.wav" reverb 30 norm -3
oggenc -Q --serial 1 -q "$quality" -o "$sfx/object_found.ogg" "$work/found.wav"
# Leaving a place through a door, and setting out from the map: a creak and
# a few footsteps (a "Sfx/Leave_" name also tells the frame loop to forget
# the time the next scene takes to load).
synth Leave_door synth 0.6 sawtooth 140-90 synth 0.6 brownnoise mix fade 0.05 0.6 0.3 lowpass 900 tremolo 25 60
synth Leave_map synth 0.7 brownnoise fade 0 0.7 0.2 lowpass 500 tremolo 4 100

# The jigsaw: paper turned, pieces joined, a piece laid down.
synth minigame_paper_turn synth 0.18 whitenoise fade 0.02 0.18 0.12 highpass 2500 lowpass 7000
synth object_chewgum_paper synth 0.16 pinknoise fade 0 0.16 0.14 bandpass 1200 400
synth minigame_paper_down synth 0.1 pinknoise fade 0 0.1 0.09 lowpass 1500
# Target shooting: a target flips on its metal arm, a miss, a hit in wood.
synth abbrechen_wipe_metal_button synth 0.25 square 900-300 synth 0.25 whitenoise mix fade 0 0.25 0.2 lowpass 3000
synth action_hit_wood_6018_80_4 $(click 0.15 196) synth 0.15 brownnoise mix
# The sliding picture: a piece slides out.
synth action_click_out_wood synth 0.12 brownnoise synth 0.12 pluck mix 440 fade 0 0.12 0.08 bandpass 900 600
# Pipes: a piece turns, an outlet runs dry, an outlet fills.
synth action_glass_move synth 0.14 sine 2400 synth 0.14 sine mix 3210 fade 0 0.14 0.13
synth action_chili_drop_liquid synth 0.3 sine 900-300 fade 0 0.3 0.2 tremolo 30 80
synth object_plastic_bottle_liquid synth 0.45 sine 300-900 synth 0.45 pinknoise mix fade 0 0.45 0.2 lowpass 1400 tremolo 14 70
# The code lock: a piece lifted out, dropped in, a right and a wrong push.
synth action_metal_click_open_out_6028_24_1 $(click 0.08 1400) synth 0.08 sine mix 2800
synth action_metal_click_close_in_6028_24_2 $(click 0.1 900) synth 0.1 square mix 1800
synth action_button_metal_click_pressed_6028_85_3 $(click 0.12 1200) synth 0.12 sine mix 600
synth action_button_metal_click_released_6028_85_4 synth 0.2 square 300-180 fade 0 0.2 0.15 lowpass 2000
# Repeat-the-sequence: a light blinks, a right press.
synth action_diode_blink_WB02-66-2 synth 0.16 sine 880 fade 0.01 0.16 0.1
synth MG_Dance_hit synth 0.2 pluck 660 synth 0.2 sine mix 1320 fade 0 0.2 0.15
# The wire puzzle: stone plates turn and slide.
synth minigame_stoneplate1_move synth 0.3 brownnoise fade 0.02 0.3 0.15 lowpass 600
synth minigame_stoneplate2_move synth 0.4 brownnoise fade 0.05 0.4 0.2 lowpass 400 tremolo 9 50
# Match-three: a tile picked up, a line bursts, a tile lands.
synth minigame_computer_button_click synth 0.05 square 1500 fade 0 0.05 0.04
synth action_explode_poof_6039_52_1 synth 0.35 pinknoise fade 0 0.35 0.3 lowpass 900
synth MG_Decoder_click $(click 0.06 700)

# note FREQ SECONDS: one plucked note with a quiet octave below it.
note() {
  local out=$work/note_$1_$2.wav
  [ -f "$out" ] ||
    sox -R -n -r "$rate" -c 1 "$out" synth "$2" pluck "$1" synth "$2" sine mix "$(echo "$1 / 2" | bc -l)" \
      fade 0 "$2" "$(echo "$2 * 0.6" | bc -l)"
  echo "$out"
}

# track NAME SECONDS-PER-NOTE PAD-CHORD NOTE...: a melody of plucked notes
# (0 is a rest) over a soft pad, slightly echoed, into Music/NAME.ogg.
track() {
  local name=$1 beat=$2 chord=$3
  shift 3
  local parts=()
  for frequency in "$@"; do
    if [ "$frequency" = 0 ]; then
      parts+=("$(rest "$beat")")
    else
      parts+=("$(note "$frequency" "$beat")")
    fi
  done
  sox -R "${parts[@]}" "$work/melody.wav"
  local length
  length=$(soxi -D "$work/melody.wav")
  # shellcheck disable=SC2086
  sox -R -n -r "$rate" -c 1 "$work/pad.wav" synth "$length" $chord fade 2 "$length" 3 vol 0.25
  sox -R -m "$work/melody.wav" "$work/pad.wav" -b 16 "$work/$name.wav" echo 0.8 0.7 240 0.25 reverb 50 \
    fade 0 "$length" 2 norm -6
  oggenc -Q --serial 1 -q "$quality" -o "$music/$name.ogg" "$work/$name.wav"
}

rest() {
  local out=$work/rest_$1.wav
  [ -f "$out" ] || sox -R -n -r "$rate" -c 1 "$out" trim 0 "$1"
  echo "$out"
}

# The menu: calm, in C major, by the sea at dusk.
C4=262 D4=294 E4=330 F4=349 G4=392 A4=440 B4=494 C5=523 D5=587 E5=659 G5=784
track menu 0.5 "sine 131 sine 196 sine 262" \
  $E4 $G4 $C5 $G4 $E4 $G4 $C5 0 \
  $F4 $A4 $C5 $A4 $F4 $A4 $D5 0 \
  $E4 $G4 $C5 $E5 $D5 $C5 $G4 0 \
  $F4 $D4 $G4 $B4 $C5 0 0 0 \
  $E4 $G4 $C5 $G4 $A4 $F4 $E4 $D4 \
  $C4 $E4 $G4 $C5 0 0 0 0
# Play: lighter and a little quicker, in A minor, to search by.
A3=220
track play 0.36 "sine 110 sine 165 sine 220" \
  $A3 $C4 $E4 $A4 $E4 $C4 $E4 $A4 \
  $G4 $E4 $D4 $E4 $C4 0 $A3 0 \
  $D4 $F4 $A4 $D5 $A4 $F4 $E4 $D4 \
  $E4 $G4 $B4 $E5 $D5 $B4 $G4 0 \
  $A3 $C4 $E4 $A4 $C5 $B4 $A4 $G4 \
  $F4 $E4 $D4 $E4 $A3 0 0 0 \
  $C4 $E4 $G4 $C5 $B4 $G4 $E4 $G4 \
  $A4 $E4 $C4 $E4 $A3 0 0 0
echo "make_sounds: done"
