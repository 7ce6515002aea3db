// Opening, reading and rewinding one track of a movie file.
#include <mutex>
#include <string>

#include "platform/files.h"
#include "platform/trace.h"
#include "platform/video/internal.h"

namespace {

// The library's own notes would go to standard error; failures are traced by us instead.
void QuietLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

}  // namespace

bool PLATV_OpenTrack(PLATV_Track* t, const char* path, AVMediaType type, const char* who) {
  QuietLibrary();
  *t = PLATV_Track{};
  bool exists = false;
  const std::string real = path ? PLAT_ResolvePath(path, &exists) : std::string();
  if (!exists) {
    PLAT_Trace("%s: %s not found\n", who, path ? path : "(null)");
    return false;
  }
  int r = avformat_open_input(&t->format, real.c_str(), nullptr, nullptr);
  if (r >= 0) r = avformat_find_stream_info(t->format, nullptr);
  const AVCodec* decoder = nullptr;
  if (r >= 0) r = av_find_best_stream(t->format, type, -1, -1, &decoder, 0);
  if (r < 0) {
    PLAT_Trace("%s: %s has no %s track (%s)\n", who, path, av_get_media_type_string(type),
               ErrorText(r).c_str());
    PLATV_CloseTrack(t);
    return false;
  }
  t->stream = r;
  t->codec = avcodec_alloc_context3(decoder);
  t->packet = av_packet_alloc();
  t->frame = av_frame_alloc();
  r = t->codec && t->packet && t->frame ? 0 : AVERROR(ENOMEM);
  if (r >= 0) r = avcodec_parameters_to_context(t->codec, t->format->streams[t->stream]->codecpar);
  if (r >= 0) {
    // One thread per track: a movie is decoded by the one thread that holds it.
    t->codec->thread_count = 1;
    r = avcodec_open2(t->codec, decoder, nullptr);
  }
  if (r < 0) {
    PLAT_Trace("%s: cannot decode the %s track of %s (%s)\n", who, av_get_media_type_string(type),
               path, ErrorText(r).c_str());
    PLATV_CloseTrack(t);
    return false;
  }
  return true;
}

void PLATV_CloseTrack(PLATV_Track* t) {
  av_frame_free(&t->frame);
  av_packet_free(&t->packet);
  avcodec_free_context(&t->codec);
  avformat_close_input(&t->format);
  t->stream = -1;
}

int PLATV_NextFrame(PLATV_Track* t, const char* who) {
  for (;;) {
    int r = avcodec_receive_frame(t->codec, t->frame);
    if (r == 0) return 1;
    if (r == AVERROR_EOF) return 0;
    if (r != AVERROR(EAGAIN)) {
      PLAT_Trace("%s: decoding failed (%s)\n", who, ErrorText(r).c_str());
      return -1;
    }
    if (t->draining) return 0;
    r = av_read_frame(t->format, t->packet);
    if (r == AVERROR_EOF) {
      avcodec_send_packet(t->codec, nullptr);
      t->draining = true;
      continue;
    }
    if (r < 0) {
      PLAT_Trace("%s: reading failed (%s)\n", who, ErrorText(r).c_str());
      return -1;
    }
    if (t->packet->stream_index == t->stream) r = avcodec_send_packet(t->codec, t->packet);
    av_packet_unref(t->packet);
    if (r < 0 && r != AVERROR(EAGAIN)) {
      PLAT_Trace("%s: damaged data (%s)\n", who, ErrorText(r).c_str());
      return -1;
    }
  }
}

bool PLATV_RewindTrack(PLATV_Track* t) {
  if (!t->format) return false;
  const int r = av_seek_frame(t->format, t->stream, 0, AVSEEK_FLAG_BACKWARD);
  avcodec_flush_buffers(t->codec);
  t->draining = false;
  return r >= 0;
}

double PLATV_FrameSeconds(const PLATV_Track* t) {
  const AVStream* s = t->format->streams[t->stream];
  int64_t pts = t->frame->best_effort_timestamp;
  if (pts == AV_NOPTS_VALUE) return -1.0;
  if (s->start_time != AV_NOPTS_VALUE) pts -= s->start_time;
  return static_cast<double>(pts) * av_q2d(s->time_base);
}
