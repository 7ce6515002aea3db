// The program's sound tables: effects, music streams, voice lines and error texts.
//
// Effect file names. The only name the game's data gives is that of the first campaign's
// opening briefing, kept at id 0; every other effect is named after its id in the folder of
// its range:
//   ids   0..55   "SOUND/Effects/FrontEnd/fx%03d.wav"  2D             front-end group
//   ids  56..63   "SOUND/Effects/FrontEnd/fx%03d.wav"  2D, looping    front-end group
//   ids  64..127  "SOUND/Effects/Interface/fx%03d.wav" 2D             game group
//   ids 128..779  "SOUND/Effects/World/fx%03d.wav"     3D             game group
//   ids 780..789  "SOUND/Effects/World/fx%03d.wav"     3D, looping    game group
//   ids 790..811  "SOUND/Effects/World/fx%03d.wav"     3D             game group
// Voice lines: "sound/profiles/Voice%d/Line%02d.wav" for voice type and line, all 3D.
#include <cstdio>

#include "shell/sound/internal.h"

namespace {

constexpr int32_t kNameSize = 48;

struct EffectRange {
  int32_t first;
  int32_t last;
  const char* folder;
  uint32_t mode;
  uint32_t group;
};

constexpr EffectRange kRanges[] = {
    {0, 55, "FrontEnd", VN_SOUND_MODE_2D, VN_SOUND_GROUP_FRONTEND},
    {56, 63, "FrontEnd", VN_SOUND_MODE_2D | VN_SOUND_MODE_LOOP, VN_SOUND_GROUP_FRONTEND},
    {64, 127, "Interface", VN_SOUND_MODE_2D, VN_SOUND_GROUP_GAME},
    {128, 779, "World", VN_SOUND_MODE_3D, VN_SOUND_GROUP_GAME},
    {780, 789, "World", VN_SOUND_MODE_3D | VN_SOUND_MODE_LOOP, VN_SOUND_GROUP_GAME},
    {790, 811, "World", VN_SOUND_MODE_3D, VN_SOUND_GROUP_GAME},
};
static_assert(kRanges[5].last == VN_SOUND_NUM_EFFECTS - 1);

constexpr const char* kBriefing = "SOUND/Effects/FrontEnd/C1M1abriefing.wav";

struct EffectTable {
  char names[VN_SOUND_NUM_EFFECTS][kNameSize];
  VNSOUND_EFFECT effects[VN_SOUND_NUM_EFFECTS];
  EffectTable() {
    for (const EffectRange& r : kRanges) {
      for (int32_t id = r.first; id <= r.last; ++id) {
        std::snprintf(names[id], kNameSize, "SOUND/Effects/%s/fx%03d.wav", r.folder, id);
        effects[id] = VNSOUND_EFFECT{names[id], r.mode, r.group, 0, 0, 0.0f, 0.0f, 0};
      }
    }
    effects[0].pszFile = kBriefing;
  }
};

struct VoiceNames {
  char names[VN_SOUND_NUM_VOICE_TYPES][VN_SOUND_VOICE_LINES][kNameSize];
  VoiceNames() {
    for (int32_t t = 0; t < VN_SOUND_NUM_VOICE_TYPES; ++t)
      for (int32_t l = 0; l < VN_SOUND_VOICE_LINES; ++l)
        std::snprintf(names[t][l], kNameSize, "sound/profiles/Voice%d/Line%02d.wav", t, l);
  }
};

constexpr uint32_t kMusic = VN_SOUND_MODE_2D;
constexpr uint32_t kMusicLoop = VN_SOUND_MODE_2D | VN_SOUND_MODE_LOOP;
constexpr int32_t kWav = 1;

constexpr const char* kAmbient1 = "Sound/Music/Ambient track1.wav";
constexpr const char* kAmbient2 = "Sound/Music/Ambient track2.wav";
constexpr const char* kAmbient3 = "Sound/Music/Ambient track3.wav";
constexpr const char* kBattle1 = "Sound/Music/Battle Track1.wav";
constexpr const char* kBattle2 = "Sound/Music/Battle Track2.wav";
constexpr const char* kBattle3 = "Sound/Music/Battle Track3.wav";
constexpr const char* kBattle4 = "Sound/Music/Battle Track4.wav";
constexpr const char* kBugAmbient = "Sound/Music/Bug ambient.wav";

constexpr VNSOUND_STREAMDEF kStreams[VN_SOUND_NUM_STREAMS] = {
    {"Sound/Music/DropshipSequence.wav", kMusic, kWav},  // 0
    {kAmbient1, kMusicLoop, kWav},
    {"Sound/Music/GameOver.wav", kMusicLoop, kWav},
    {"Sound/Music/C1 PM.wav", kMusicLoop, kWav},
    {"Sound/Music/C2 PM.wav", kMusicLoop, kWav},
    {"Sound/Music/C3 PM.wav", kMusicLoop, kWav},  // 5
    {"Sound/Music/Genric theme.wav", kMusicLoop, kWav},
    {"Sound/Music/Chase theme.wav", kMusicLoop, kWav},
    {"Sound/Music/Victory.wav", kMusicLoop, kWav},
    {"Sound/Music/endgame.wav", kMusic, kWav},
    {kBattle1, kMusicLoop, kWav},  // 10
    {kAmbient1, kMusicLoop, kWav},
    {kAmbient2, kMusicLoop, kWav},
    {kBattle2, kMusicLoop, kWav},
    {kBattle1, kMusicLoop, kWav},
    {kBattle4, kMusicLoop, kWav},  // 15
    {kBattle3, kMusicLoop, kWav},
    {kAmbient3, kMusicLoop, kWav},
    {kBugAmbient, kMusicLoop, kWav},
    {kAmbient3, kMusicLoop, kWav},
    {kAmbient1, kMusicLoop, kWav},  // 20
    {kBattle3, kMusicLoop, kWav},
    {kAmbient2, kMusicLoop, kWav},
    {kBattle4, kMusicLoop, kWav},
    {kBugAmbient, kMusicLoop, kWav},
    {kAmbient1, kMusicLoop, kWav},  // 25
    {kBattle3, kMusicLoop, kWav},
    {kBattle2, kMusicLoop, kWav},
    {kBugAmbient, kMusicLoop, kWav},
    {"Sound/Music/c3m7_battle.wav", kMusicLoop, kWav},
};

constexpr const char* kErrorTexts[] = {
    "No errors",
    "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
    "This command failed because FSOUND_Init was not called",
    "Error initializing output device.",
    "The output device is already in use and cannot be reused.",
    "Playing the sound failed.",
    "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
    "Error setting cooperative level for hardware.",
    "Error creating hardware sound buffer.",
    "File not found",
    "Unknown file format",
    "Error loading file",
    "Not enough memory ",
    "The version number of this file format is not supported",
    "Incorrect mixer selected",
    "An invalid parameter was passed to this function",
    "Tried to use an EAX command on a non EAX enabled channel or output.",
    "Tried to use an advanced EAX2 command on a non EAX2 enabled channel or output.",
    "Failed to allocate a new channel",
};

}  // namespace

// The generic trooper voices, which every mission loads.
const int32_t VN_SOUND_VOICE_TYPE_TABLE[] = {0, 1};
const int32_t VN_SOUND_VOICE_TYPE_TABLE_SIZE =
    static_cast<int32_t>(sizeof VN_SOUND_VOICE_TYPE_TABLE / sizeof VN_SOUND_VOICE_TYPE_TABLE[0]);

const VNSOUND_EFFECT* vnSOUND_EffectTable() {
  static const EffectTable table;
  return table.effects;
}

const VNSOUND_STREAMDEF* vnSOUND_StreamTable() { return kStreams; }

const char* vnSOUND_VoiceFile(int32_t type, int32_t line) {
  static const VoiceNames voices;
  if (type < 0 || type >= VN_SOUND_NUM_VOICE_TYPES || line < 0 || line >= VN_SOUND_VOICE_LINES)
    return nullptr;
  return voices.names[type][line];
}

const char* vnSOUND_ErrorTextOf(int32_t code) {
  constexpr int32_t count = static_cast<int32_t>(sizeof kErrorTexts / sizeof kErrorTexts[0]);
  return code >= 0 && code < count ? kErrorTexts[code] : "Unknown error";
}
