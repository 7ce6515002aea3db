// Music streams.
#include "platform/trace.h"
#include "shell/sound/internal.h"

namespace {

bool ValidStream(int32_t index) { return index >= 0 && index < VN_SOUND_NUM_STREAMS; }

}  // namespace

int32_t vnSOUND_PlayStream(int32_t index) {
  if (vnSOUND_Off()) return 1;
  if (!g_vnSound.started || !ValidStream(index)) return 0;
  const VNSOUND_STREAMDEF& def = vnSOUND_StreamTable()[index];
  if (def.nType != static_cast<int32_t>(PLAT_StreamType::Wav) &&
      def.nType != static_cast<int32_t>(PLAT_StreamType::Mpeg)) {
    PLAT_Trace("vnSOUND_PlayStream: stream %d has unknown type %d\n", index, def.nType);
    return 0;
  }
  vnSOUND_CloseStream(index);
  PLAT_Stream* stream =
      PLAT_SoundOpenStream(def.pszFile, def.dwMode, static_cast<PLAT_StreamType>(def.nType));
  if (!stream) return 0;
  g_vnSound.streams[index] = stream;
  const int32_t volume =
      static_cast<int32_t>(static_cast<float>(g_vnSound.streamVolumes[index]) * g_vnSound.music);
  const int32_t channel = PLAT_SoundPlayStream(PLAT_SOUND_FREE, stream, volume);
  if (channel < 0) {
    vnSOUND_CloseStream(index);
    return 0;
  }
  g_vnSound.streamChannels[index] = channel;
  PLAT_SoundSetVolume(channel, static_cast<int32_t>(g_vnSound.music * 255.0f));
  return 1;
}

void vnSOUND_CloseStream(int32_t index) {
  if (vnSOUND_Off() || !ValidStream(index) || !g_vnSound.streams[index]) return;
  PLAT_SoundStopStream(g_vnSound.streams[index]);
  PLAT_SoundCloseStream(g_vnSound.streams[index]);
  g_vnSound.streams[index] = nullptr;
  g_vnSound.streamChannels[index] = -1;
}

void vnSOUND_StopMusic() {
  for (int32_t i = 0; i < VN_SOUND_NUM_STREAMS; ++i) vnSOUND_CloseStream(i);
}

const char* vnSOUND_GetStreamFile(int32_t index) {
  return ValidStream(index) ? vnSOUND_StreamTable()[index].pszFile : nullptr;
}

int32_t vnSOUND_GetStreamChannel(int32_t index) {
  if (vnSOUND_Off() || !ValidStream(index)) return -1;
  return g_vnSound.streamChannels[index];
}
