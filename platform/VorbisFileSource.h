#pragma once
// Opens vorbisfile over a FileManager handle, with read and close callbacks
// only: the stream is not seekable, so its length is unknown and looping
// means opening it again.

#include <vorbis/vorbisfile.h>

#include <cstdint>

class FileManager;

// On success the decoder owns the handle and ov_clear closes it.
bool OpenVorbisFile(FileManager& files, const char* path, OggVorbis_File& decoder);

// The OpenAL 16-bit format for the current section, or 0 when it is neither
// mono nor stereo.
int32_t VorbisAlFormat(OggVorbis_File& decoder);
int32_t VorbisRate(OggVorbis_File& decoder);

// ov_read into 16-bit signed little-endian samples.
long ReadVorbis(OggVorbis_File& decoder, char* buffer, int size, int* section);
