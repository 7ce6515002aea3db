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
                  const vnMOVIE_SPEC& spec, int32_t index) {
  std::vector<uint32_t> argb(static_cast<size_t>(spec.width) * spec.height, 0xFF000000u);
  spec.picture(index, &argb);
  FramePtr frame = NewFrame();
  frame->format = video.codec->pix_fmt;
  frame->width = spec.width;
  frame->height = spec.height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return false;
  const uint8_t* src[4] = {reinterpret_cast<const uint8_t*>(argb.data()), nullptr, nullptr, nullptr};
  const int strides[4] = {spec.width * 4, 0, 0, 0};
  sws_scale(scaler, src, strides, 0, spec.height, frame->data, frame->linesize);
  frame->pts = index;
  return Encode(format, video, frame.get());
}

bool WriteSound(AVFormatContext* format, Encoder& sound, const vnMOVIE_SPEC& spec, size_t* next,
                size_t until) {
  const size_t total = spec.sound.size() / static_cast<size_t>(spec.soundChannels);
  until = std::min(until, total);
  while (*next < until) {
    const int count = static_cast<int>(std::min<size_t>(kSoundChunk, until - *next));
    FramePtr frame = NewFrame();
    frame->format = AV_SAMPLE_FMT_S16;
    frame->nb_samples = count;
    frame->sample_rate = spec.soundRate;
    av_channel_layout_default(&frame->ch_layout, spec.soundChannels);
    if (av_frame_get_buffer(frame.get(), 0) < 0) return false;
    std::copy_n(spec.sound.data() + *next * spec.soundChannels, count * spec.soundChannels,
                reinterpret_cast<int16_t*>(frame->data[0]));
    frame->pts = static_cast<int64_t>(*next);
    if (!Encode(format, sound, frame.get())) return false;
    *next += static_cast<size_t>(count);
  }
  return true;
}

}  // namespace

bool vnWRITE_Movie(const std::string& path, const vnMOVIE_SPEC& spec) {
  if (spec.width <= 0 || spec.height <= 0 || spec.width % 2 || spec.height % 2 ||
      spec.frameRate <= 0 || spec.frames <= 0 || !spec.picture ||
      (!spec.sound.empty() && (spec.soundRate <= 0 || spec.soundChannels < 1 ||
                               spec.soundChannels > 2)))
    return Fail(path, "bad movie description");
  av_log_set_level(AV_LOG_QUIET);
  const std::string real = PLAT_ResolvePath(path.c_str());
  Output out;
  if (avformat_alloc_output_context2(&out.format, nullptr, "avi", real.c_str()) < 0)
    return Fail(path, "no AVI muxer");
  Encoder video, sound;
  const bool opened = OpenEncoder(out.format, AV_CODEC_ID_MPEG4, &video, [&](AVCodecContext* c) {
    c->width = spec.width;
    c->height = spec.height;
    c->time_base = AVRational{1, spec.frameRate};
    c->framerate = AVRational{spec.frameRate, 1};
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->gop_size = 12;
    // Near-lossless, so that tests can tell the pictures' colours apart.
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = FF_QP2LAMBDA * 2;
  });
  if (!opened) return Fail(path, "cannot set up the picture encoder");
  if (!spec.sound.empty() &&
      !OpenEncoder(out.format, AV_CODEC_ID_PCM_S16LE, &sound, [&](AVCodecContext* c) {
        c->sample_fmt = AV_SAMPLE_FMT_S16;
        c->sample_rate = spec.soundRate;
        av_channel_layout_default(&c->ch_layout, spec.soundChannels);
        c->time_base = AVRational{1, spec.soundRate};
      }))
    return Fail(path, "cannot set up the sound encoder");
  int r = avio_open(&out.format->pb, real.c_str(), AVIO_FLAG_WRITE);
  if (r < 0) return Fail(path, "cannot create the file", r);
  r = avformat_write_header(out.format, nullptr);
  if (r < 0) return Fail(path, "cannot write the header", r);
  std::unique_ptr<SwsContext, void (*)(SwsContext*)> scaler(
      sws_getContext(spec.width, spec.height, AV_PIX_FMT_BGRA, spec.width, spec.height,
                     AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr),
      sws_freeContext);
  if (!scaler) return Fail(path, "no picture converter");
  size_t soundNext = 0;
  for (int32_t i = 0; i < spec.frames; ++i) {
    if (!WritePicture(out.format, video, scaler.get(), spec, i))
      return Fail(path, "cannot encode a picture");
    const size_t until = static_cast<size_t>(static_cast<int64_t>(i + 1) * spec.soundRate /
                                             spec.frameRate);
    if (sound.codec && !WriteSound(out.format, sound, spec, &soundNext, until))
      return Fail(path, "cannot encode the sound");
  }
  if (sound.codec && !WriteSound(out.format, sound, spec, &soundNext, SIZE_MAX))
    return Fail(path, "cannot encode the sound");
  if (!Encode(out.format, video, nullptr) || (sound.codec && !Encode(out.format, sound, nullptr)))
    return Fail(path, "cannot finish the encoding");
  r = av_write_trailer(out.format);
  if (r < 0) return Fail(path, "cannot finish the file", r);
  r = avio_closep(&out.format->pb);
  if (r < 0) return Fail(path, "cannot close the file", r);
  return true;
}

vnMOVIE_SPEC vnMOVIE_FlatColours(int32_t width, int32_t height, int32_t frameRate,
                                 const std::vector<uint32_t>& colours) {
  vnMOVIE_SPEC spec;
  spec.width = width;
  spec.height = height;
  spec.frameRate = frameRate;
  spec.frames = static_cast<int32_t>(colours.size());
  spec.picture = [colours](int32_t index, std::vector<uint32_t>* argb) {
    std::fill(argb->begin(), argb->end(), colours[static_cast<size_t>(index)]);
  };
  return spec;
}
