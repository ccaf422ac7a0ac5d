#pragma once
// Whole-file Ogg Vorbis decoding into 16-bit PCM, for effects.

#include "platform/DecodedSound.h"

class FileManager;

// False (and `out` empty) when the file is missing, not Ogg Vorbis, neither
// mono nor stereo, or fails to decode. Decoding ends at the end of data, at
// a hole, or where a chained section changes channel count or rate.
bool DecodeOgg(FileManager& files, const char* path, DecodedSound& out);
