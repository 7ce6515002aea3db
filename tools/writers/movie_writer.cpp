#include "tools/writers/movie_writer.h"

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "platform/files.h"
#include "platform/trace.h"

namespace {

constexpr char kWho[] = "vnWRITE_Movie";
constexpr int kSoundChunk = 1024;  // samples a sound packet

struct Encoder {
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  ~Encoder() { avcodec_free_context(&codec); }
};

struct Output {
  AVFormatContext* format = nullptr;
  ~Output() {
    if (format && !(format->oformat->flags & AVFMT_NOFILE)) avio_closep(&format->pb);
    avformat_free_context(format);
  }
};

bool Fail(const std::string& path, const char* what, int code = 0) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  if (code) av_strerror(code, text, sizeof text);
  PLAT_Trace("%s: %s: %s %s\n", kWho, path.c_str(), what, text);
  return false;
}

bool OpenEncoder(AVFormatContext* format, AVCodecID id, Encoder* e,
                 const std::function<void(AVCodecContext*)>& setup) {
  const AVCodec* codec = avcodec_find_encoder(id);
  if (!codec) return false;
  e->stream = avformat_new_stream(format, nullptr);
  e->codec = avcodec_alloc_context3(codec);
  if (!e->stream || !e->codec) return false;
  setup(e->codec);
  if (format->oformat->flags & AVFMT_GLOBALHEADER) e->codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(e->codec, codec, nullptr) < 0) return false;
  e->stream->time_base = e->codec->time_base;
  return avcodec_parameters_from_context(e->stream->codecpar, e->codec) >= 0;
}

// Sends a frame (null flushes) and writes every packet that comes out.
bool Encode(AVFormatContext* format, Encoder& e, AVFrame* frame) {
  if (avcodec_send_frame(e.codec, frame) < 0) return false;
  std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(),
                                                        [](AVPacket* p) { av_packet_free(&p); });
  for (;;) {
    int r = avcodec_receive_packet(e.codec, packet.get());
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
    if (r < 0) return false;
    av_packet_rescale_ts(packet.get(), e.codec->time_base, e.stream->time_base);
    packet->stream_index = e.stream->index;
    if (av_interleaved_write_frame(format, packet.get()) < 0) return false;
  }
}

using FramePtr = std::unique_ptr<AVFrame, void (*)(AVFrame*)>;
FramePtr NewFrame() { return FramePtr(av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); }); }

bool WritePicture(AVFormatContext* format, Encoder& video, SwsContext* scaler,
                  const vnMOVIE_DESC& movie, int32_t index) {
  std::vector<uint32_t> argb(static_cast<size_t>(movie.width) * movie.height, 0xFF000000u);
  movie.picture(index, &argb);
  FramePtr frame = NewFrame();
  frame->format = video.codec->pix_fmt;
  frame->width = movie.width;
  frame->height = movie.height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return false;
  const uint8_t* src[4] = {reinterpret_cast<const uint8_t*>(argb.data()), nullptr, nullptr, nullptr};
  const int strides[4] = {movie.width * 4, 0, 0, 0};
  sws_scale(scaler, src, strides, 0, movie.height, frame->data, frame->linesize);
  frame->pts = index;
  return Encode(format, video, frame.get());
}

bool WriteSound(AVFormatContext* format, Encoder& sound, const vnMOVIE_DESC& movie, size_t* next,
                size_t until) {
  const size_t total = movie.sound.size() / static_cast<size_t>(movie.soundChannels);
  until = std::min(until, total);
  while (*next < until) {
    const int count = static_cast<int>(std::min<size_t>(kSoundChunk, until - *next));
    FramePtr frame = NewFrame();
    frame->format = AV_SAMPLE_FMT_S16;
    frame->nb_samples = count;
    frame->sample_rate = movie.soundRate;
    av_channel_layout_default(&frame->ch_layout, movie.soundChannels);
    if (av_frame_get_buffer(frame.get(), 0) < 0) return false;
    std::copy_n(movie.sound.data() + *next * movie.soundChannels, count * movie.soundChannels,
                reinterpret_cast<int16_t*>(frame->data[0]));
    frame->pts = static_cast<int64_t>(*next);
    if (!Encode(format, sound, frame.get())) return false;
    *next += static_cast<size_t>(count);
  }
  return true;
}

}  // namespace

bool vnWRITE_Movie(const std::string& path, const vnMOVIE_DESC& movie) {
  if (movie.width <= 0 || movie.height <= 0 || movie.width % 2 || movie.height % 2 ||
      movie.frameRate <= 0 || movie.frames <= 0 || !movie.picture ||
      (!movie.sound.empty() && (movie.soundRate <= 0 || movie.soundChannels < 1 ||
                               movie.soundChannels > 2)))
    return Fail(path, "bad movie description");
  av_log_set_level(AV_LOG_QUIET);
  const std::string real = PLAT_ResolvePath(path.c_str());
  Output out;
  if (avformat_alloc_output_context2(&out.format, nullptr, "avi", real.c_str()) < 0)
    return Fail(path, "no AVI muxer");
  Encoder video, sound;
  const bool opened = OpenEncoder(out.format, AV_CODEC_ID_MPEG4, &video, [&](AVCodecContext* c) {
    c->width = movie.width;
    c->height = movie.height;
    c->time_base = AVRational{1, movie.frameRate};
    c->framerate = AVRational{movie.frameRate, 1};
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->gop_size = 12;
    // Near-lossless, so that tests can tell the pictures' colours apart.
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = FF_QP2LAMBDA * 2;
  });
  if (!opened) return Fail(path, "cannot set up the picture encoder");
  if (!movie.sound.empty() &&
      !OpenEncoder(out.format, AV_CODEC_ID_PCM_S16LE, &sound, [&](AVCodecContext* c) {
        c->sample_fmt = AV_SAMPLE_FMT_S16;
        c->sample_rate = movie.soundRate;
        av_channel_layout_default(&c->ch_layout, movie.soundChannels);
        c->time_base = AVRational{1, movie.soundRate};
      }))
    return Fail(path, "cannot set up the sound encoder");
  int r = avio_open(&out.format->pb, real.c_str(), AVIO_FLAG_WRITE);
  if (r < 0) return Fail(path, "cannot create the file", r);
  r = avformat_write_header(out.format, nullptr);
  if (r < 0) return Fail(path, "cannot write the header", r);
  std::unique_ptr<SwsContext, void (*)(SwsContext*)> scaler(
      sws_getContext(movie.width, movie.height, AV_PIX_FMT_BGRA, movie.width, movie.height,
                     AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr),
      sws_freeContext);
  if (!scaler) return Fail(path, "no picture converter");
  size_t soundNext = 0;
  for (int32_t i = 0; i < movie.frames; ++i) {
    if (!WritePicture(out.format, video, scaler.get(), movie, i))
      return Fail(path, "cannot encode a picture");
    const size_t until = static_cast<size_t>(static_cast<int64_t>(i + 1) * movie.soundRate /
                                             movie.frameRate);
    if (sound.codec && !WriteSound(out.format, sound, movie, &soundNext, until))
      return Fail(path, "cannot encode the sound");
  }
  if (sound.codec && !WriteSound(out.format, sound, movie, &soundNext, SIZE_MAX))
    return Fail(path, "cannot encode the sound");
  if (!Encode(out.format, video, nullptr) || (sound.codec && !Encode(out.format, sound, nullptr)))
    return Fail(path, "cannot finish the encoding");
  r = av_write_trailer(out.format);
  if (r < 0) return Fail(path, "cannot finish the file", r);
  r = avio_closep(&out.format->pb);
  if (r < 0) return Fail(path, "cannot close the file", r);
  return true;
}

vnMOVIE_DESC vnMOVIE_FlatColours(int32_t width, int32_t height, int32_t frameRate,
                                 const std::vector<uint32_t>& colours) {
  vnMOVIE_DESC movie;
  movie.width = width;
  movie.height = height;
  movie.frameRate = frameRate;
  movie.frames = static_cast<int32_t>(colours.size());
  movie.picture = [colours](int32_t index, std::vector<uint32_t>* argb) {
    std::fill(argb->begin(), argb->end(), colours[static_cast<size_t>(index)]);
  };
  return movie;
}
