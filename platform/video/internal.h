#pragma once
// One decoded track of a movie file, shared by the picture and sound halves.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

struct PLATV_Track {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int stream = -1;
  bool draining = false;  // the end of the file was handed to the decoder
};

// Opens the file's best track of the type; false (traced, nothing left open) when there is none.
bool PLATV_OpenTrack(PLATV_Track* track, const char* path, AVMediaType type, const char* who);
void PLATV_CloseTrack(PLATV_Track* track);
// The next decoded frame in track->frame: 1, 0 at the end, -1 on damage (traced).
int PLATV_NextFrame(PLATV_Track* track, const char* who);
bool PLATV_RewindTrack(PLATV_Track* track);
// Seconds from the start of the track of the frame just decoded; negative when unknown.
double PLATV_FrameSeconds(const PLATV_Track* track);
