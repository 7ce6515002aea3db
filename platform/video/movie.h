#pragma once
// Movies in the game's terms: a movie file's pictures as 32-bit ARGB words and its sound track
// as 16-bit samples. A movie is decoded by whichever one thread holds it; the layer keeps no
// state shared between movies.
#include <cstddef>
#include <cstdint>
#include <vector>

struct PLAT_Movie;
struct PLAT_MovieSound;

struct PLAT_MovieInfo {
  int32_t width;
  int32_t height;
  double frameRate;  // pictures a second, as the file states it (0 when it does not)
  bool hasSound;
};

enum class PLAT_MovieRead : int32_t {
  Picture,  // a picture was decoded
  End,      // no picture left; PLAT_MovieRewind starts over
  Error,    // the file is damaged where it was read (traced)
};

// Opens a movie file for its pictures (the path is resolved without regard to case). Null,
// after a trace, when it is missing or has no picture track that can be decoded.
PLAT_Movie* PLAT_MovieOpen(const char* path);
void PLAT_MovieClose(PLAT_Movie* movie);  // null accepted
PLAT_MovieInfo PLAT_MovieGetInfo(const PLAT_Movie* movie);
// Decodes the next picture into `argb` (width x height words, rows top first, alpha 255) and
// its time from the start of the movie in seconds.
PLAT_MovieRead PLAT_MovieNextPicture(PLAT_Movie* movie, std::vector<uint32_t>* argb,
                                     double* seconds);
bool PLAT_MovieRewind(PLAT_Movie* movie);

// The sound track: interleaved signed 16-bit samples at the track's own rate. Null, after a
// trace, when the file is missing or has no sound track that can be decoded.
PLAT_MovieSound* PLAT_MovieSoundOpen(const char* path);
void PLAT_MovieSoundClose(PLAT_MovieSound* sound);  // null accepted
int32_t PLAT_MovieSoundRate(const PLAT_MovieSound* sound);
int32_t PLAT_MovieSoundChannels(const PLAT_MovieSound* sound);  // 1 or 2
// Up to `frames` frames (a sample for every channel) into out; 0 at the end or on damage.
size_t PLAT_MovieSoundRead(PLAT_MovieSound* sound, int16_t* out, size_t frames);
bool PLAT_MovieSoundRewind(PLAT_MovieSound* sound);
