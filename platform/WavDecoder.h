#pragma once
// RIFF WAVE files with 8- or 16-bit PCM, mono or stereo, kept as stored.
// Files whose format tag names a compressed or float encoding are refused.

#include "platform/DecodedSound.h"

class FileManager;

// False (and `out` empty) when the file is missing, not a WAV this engine
// plays, or damaged.
bool DecodeWav(FileManager& files, const char* path, DecodedSound& out);
