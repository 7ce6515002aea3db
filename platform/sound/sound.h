#pragma once
// Sound output in the game's terms: samples loaded from WAV files, a fixed set of channels that
// play them in 2D or 3D by priority, the 3D listener, music streams from WAV or MPEG files, and
// the master volume. Main thread only (the layer's own worker refills streams).
//
// A channel handle carries the channel index in its low 12 bits and a serial number above
// them: the handle of a sound that has ended or was stopped never reaches the channel's next
// sound. Every failure returns false, null or -1 and leaves its code for PLAT_SoundGetError.
#include <cstdint>

constexpr int32_t PLAT_SOUND_FREE = -1;  // "any free channel" for the play calls
constexpr int32_t PLAT_SOUND_INDEX_MASK = 0xfff;

// Sample and stream modes.
constexpr uint32_t PLAT_SOUND_LOOP = 0x2;
constexpr uint32_t PLAT_SOUND_3D = 0x1000;
constexpr uint32_t PLAT_SOUND_2D = 0x2000;

constexpr int32_t PLAT_SOUND_MAX_VOLUME = 255;
constexpr int32_t PLAT_SOUND_PAN_CENTRE = 128;  // pans run 0 (left) to 255 (right)
constexpr int32_t PLAT_SOUND_MAX_PRIORITY = 255;

// Error codes; vnSOUND_ErrorText has a text for each.
enum PLAT_SoundError : int32_t {
  PLAT_SOUND_OK = 0,
  PLAT_SOUND_ERR_STARTED = 1,         // only allowed before PLAT_SoundInit
  PLAT_SOUND_ERR_NOT_STARTED = 2,
  PLAT_SOUND_ERR_OUTPUT = 3,          // the output device cannot be opened
  PLAT_SOUND_ERR_PLAY = 5,
  PLAT_SOUND_ERR_FILE_NOT_FOUND = 9,
  PLAT_SOUND_ERR_FILE_FORMAT = 10,
  PLAT_SOUND_ERR_FILE_BAD = 11,
  PLAT_SOUND_ERR_MEMORY = 12,
  PLAT_SOUND_ERR_INVALID_PARAM = 15,
  PLAT_SOUND_ERR_CHANNEL_ALLOC = 18,
};

enum class PLAT_SoundOutput : int32_t {
  // The system's sound device; the null output when VANTORIA_HEADLESS=1 or no device opens.
  Auto = 0,
  // Mixed in real time into nothing: sounds start, play for their length and end.
  Null = 1,
  // Mixed only when PLAT_SoundMix asks, so a caller hears exactly what was mixed.
  Manual = 2,
};

// Movie: the sound track of a movie file (platform/video).
enum class PLAT_StreamType : int32_t { Wav = 1, Mpeg = 2, Movie = 3 };

struct PLAT_Sample;
struct PLAT_Stream;

struct PLAT_SampleDefaults {
  int32_t frequency;  // Hz; the file's rate when loaded
  int32_t volume;     // 0..255
  int32_t pan;        // 0..255
  int32_t priority;   // 0..255; a sound may take the channel of one with a priority not above its own
};

// Set-up, before PLAT_SoundInit.
bool PLAT_SoundSetOutput(PLAT_SoundOutput output);
// Devices of the system output; driver 0 is the system's default device.
int32_t PLAT_SoundGetNumDrivers();
bool PLAT_SoundSetDriver(int32_t driver);
// Length of the device's mixing period in milliseconds; 0 keeps the device's own.
bool PLAT_SoundSetBufferSize(int32_t ms);

bool PLAT_SoundInit(int32_t rate, int32_t channels);
// Stops every channel, frees every sample and stream and closes the device.
void PLAT_SoundClose();
int32_t PLAT_SoundGetError();
int32_t PLAT_SoundGetMixRate();
int32_t PLAT_SoundGetNumChannels();
PLAT_SoundOutput PLAT_SoundGetOutput();
// Manual output only: mixes `frames` stereo frames of 16-bit samples into out (2 x frames).
bool PLAT_SoundMix(int16_t* out, int32_t frames);
void PLAT_SoundSetMasterVolume(int32_t volume);
int32_t PLAT_SoundGetMasterVolume();

// Samples: PCM WAV files, 8 or 16 bits, mono or stereo. 3D sounds need mono samples.
PLAT_Sample* PLAT_SoundLoadWav(const char* path, uint32_t mode);
// Stops the channels that play it first.
void PLAT_SoundFreeSample(PLAT_Sample* sample);
bool PLAT_SoundSetMinMaxDistance(PLAT_Sample* sample, float minDistance, float maxDistance);
bool PLAT_SoundGetDefaults(const PLAT_Sample* sample, PLAT_SampleDefaults* defaults);
bool PLAT_SoundSetDefaults(PLAT_Sample* sample, const PLAT_SampleDefaults& defaults);

// Channels. `channel` is PLAT_SOUND_FREE or a channel index. Result: the handle, or -1.
int32_t PLAT_SoundPlay(int32_t channel, PLAT_Sample* sample, int32_t frequency, int32_t volume,
                       int32_t pan);
int32_t PLAT_SoundPlay3D(int32_t channel, PLAT_Sample* sample, int32_t frequency, int32_t volume,
                         const float position[3], const float velocity[3]);
bool PLAT_SoundStop(int32_t handle);
bool PLAT_SoundIsPlaying(int32_t handle);
bool PLAT_SoundSetVolume(int32_t handle, int32_t volume);
int32_t PLAT_SoundGetVolume(int32_t handle);  // -1 for a stale handle
bool PLAT_SoundSet3DAttributes(int32_t handle, const float position[3], const float velocity[3]);

// The listener, in the same right-handed world coordinates as the 3D sounds.
void PLAT_SoundSetListener(const float position[3], const float velocity[3],
                           const float forward[3], const float up[3]);
// Gain at distance d beyond a sample's minimum distance m: m / (m + rolloff x (d - m)).
void PLAT_SoundSetRolloff(float rolloff);

// Streams: read and decoded a little ahead while they play (on the layer's worker). PLAT_SOUND_LOOP in the mode makes
// them start over at their end.
PLAT_Stream* PLAT_SoundOpenStream(const char* path, uint32_t mode, PLAT_StreamType type);
int32_t PLAT_SoundPlayStream(int32_t channel, PLAT_Stream* stream, int32_t volume);
bool PLAT_SoundStopStream(PLAT_Stream* stream);
void PLAT_SoundCloseStream(PLAT_Stream* stream);

// The stream calls as one record, for a library loaded beside the game (the render driver
// plays movies' sound tracks with it): found by the name PLAT_SOUND_STREAM_API with
// PLAT_FindLoadedSymbol, so the library uses the game's sound output when the game has one and
// needs none of its own.
struct PLAT_SoundStreamApi {
  PLAT_Stream* (*open)(const char* path, uint32_t mode, PLAT_StreamType type);
  int32_t (*play)(int32_t channel, PLAT_Stream* stream, int32_t volume);
  void (*close)(PLAT_Stream* stream);
  int32_t (*error)();
};
constexpr const char PLAT_SOUND_STREAM_API[] = "PLAT_SoundGetStreamApi";
extern "C" const PLAT_SoundStreamApi* PLAT_SoundGetStreamApi();
