// Video frames. This driver decodes no movies: creation gives no frame, and the record calls
// accept the null record that creation gives.
#include "driver/core/block.h"
#include "platform/trace.h"

SPPD_VIDEOFRAME* SPPD_CreateVideoFrame(SPW_DISPLAY*, SPW_B2DSET*, const char* fileName,
                                       uint32_t) {
  // A diagnostic only: a movie that cannot play is not a device failure, so the last-error
  // text of the device stays as it was.
  PLAT_Trace("GFXDRV: SPPD_CreateVideoFrame: video playback is not available for \"%.400s\"\n",
             fileName ? fileName : "");
  return nullptr;
}

void SPPD_UpdateVideoFrame(SPPD_VIDEOFRAME*) {}
void SPPD_DestroyVideoFrame(SPPD_VIDEOFRAME*) {}
int32_t SPPD_StreamSurfacePlay(SPPD_VIDEOFRAME*, int32_t) { return SPPD_OK; }
int32_t SPPD_StreamSurfaceStop(SPPD_VIDEOFRAME* frame) { return frame ? 1 : 0; }
int32_t SPPD_StreamSurfacePause(SPPD_VIDEOFRAME*, int32_t) { return 0; }
int32_t SPPD_StreamSurfaceRestore(SPPD_VIDEOFRAME*) { return SPPD_OK; }
