// Video frames. Movie decoding comes with the stream worker; until then no frame can be made,
// and the record calls accept the null record that creation gives.
#include "driver/block.h"
#include "driver/lasterror.h"

SPPD_VIDEOFRAME* SPPD_CreateVideoFrame(SPW_DISPLAY*, SPW_B2DSET*, const char* fileName,
                                       uint32_t) {
  SPPD_SetLastError("Video playback is not available for \"%.400s\"\nin(manage_gfxdrv:SPPD_CreateVideoFrame)",
                    fileName ? fileName : "");
  return nullptr;
}

void SPPD_UpdateVideoFrame(SPPD_VIDEOFRAME*) {}
void SPPD_DestroyVideoFrame(SPPD_VIDEOFRAME*) {}
int32_t SPPD_StreamSurfacePlay(SPPD_VIDEOFRAME*, int32_t) { return SPPD_OK; }
int32_t SPPD_StreamSurfaceStop(SPPD_VIDEOFRAME* frame) { return frame ? 1 : 0; }
int32_t SPPD_StreamSurfacePause(SPPD_VIDEOFRAME*, int32_t) { return 0; }
int32_t SPPD_StreamSurfaceRestore(SPPD_VIDEOFRAME*) { return SPPD_OK; }
