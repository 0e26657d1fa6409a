// The video encoder through the FFmpeg libraries, built as a module of its own that the video
// writer loads when a video is made (see output/video_encoder.h).
#include <QImage>
#include <QSaveFile>

#include <memory>

#include "output/video_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace kw {

namespace {

QString AvText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return QString::fromUtf8(text);
}

// The muxer writes through the save file, which it seeks back in to finish the MP4 header.
int WritePacket(void* opaque, uint8_t* buf, int size) {
  auto* file = static_cast<QSaveFile*>(opaque);
  return file->write(reinterpret_cast<const char*>(buf), size) == size ? size : AVERROR(EIO);
}

int64_t Seek(void* opaque, int64_t offset, int whence) {
  auto* file = static_cast<QSaveFile*>(opaque);
  if (whence & AVSEEK_SIZE) return file->size();
  whence &= ~AVSEEK_FORCE;
  const qint64 base = whence == SEEK_CUR ? file->pos() : whence == SEEK_END ? file->size() : 0;
  return file->seek(base + offset) ? file->pos() : AVERROR(EIO);
}

struct Encoding {
  QSaveFile file;
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  AVIOContext* io = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* scale = nullptr;
  int64_t next = 0;
  bool headerWritten = false;

  ~Encoding() {
    sws_freeContext(scale);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    if (io) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
    avformat_free_context(format);
    if (file.isOpen()) file.cancelWriting();
  }

  // Sends a frame (or nullptr to flush) and writes every packet the encoder has ready.
  int Encode(AVFrame* f) {
    int rc = avcodec_send_frame(codec, f);
    if (rc < 0) return rc;
    while ((rc = avcodec_receive_packet(codec, packet)) >= 0) {
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      rc = av_interleaved_write_frame(format, packet);
      if (rc < 0) return rc;
    }
    return rc == AVERROR(EAGAIN) || rc == AVERROR_EOF ? 0 : rc;
  }
};

class FfmpegEncoder final : public VideoEncoder {
 public:
  bool Open(const QString& path, int width, int height, int fps) override;
  bool Add(const QImage& frame) override;
  bool Finish() override;
  QString error() const override { return error_; }
  int frames() const override;

 private:
  std::unique_ptr<Encoding> d_;
  QString error_;
};

}  // namespace

int FfmpegEncoder::frames() const {
  return d_ ? static_cast<int>(d_->next) : 0;
}

bool FfmpegEncoder::Open(const QString& path, int width, int height, int fps) {
  // The encoder's own statistics are not for the user; its errors come back as results.
  av_log_set_level(AV_LOG_ERROR);
  d_ = std::make_unique<Encoding>();
  Encoding& d = *d_;
  auto fail = [&](const QString& why) {
    error_ = path + QStringLiteral(": ") + why;
    d_.reset();
    return false;
  };
  d.file.setFileName(path);
  if (!d.file.open(QIODevice::WriteOnly)) return fail(d.file.errorString());
  if (avformat_alloc_output_context2(&d.format, nullptr, "mp4", nullptr) < 0 || !d.format)
    return fail(QStringLiteral("no MP4 writer in the FFmpeg libraries"));
  const AVCodec* h264 = avcodec_find_encoder_by_name("libx264");
  if (!h264) h264 = avcodec_find_encoder(AV_CODEC_ID_H264);
  if (!h264) return fail(QStringLiteral("no H.264 encoder in the FFmpeg libraries"));
  d.stream = avformat_new_stream(d.format, nullptr);
  d.codec = avcodec_alloc_context3(h264);
  if (!d.stream || !d.codec) return fail(QStringLiteral("out of memory"));
  d.codec->width = width;
  d.codec->height = height;
  d.codec->pix_fmt = AV_PIX_FMT_YUV420P;
  d.codec->time_base = AVRational{1, fps};
  d.codec->framerate = AVRational{fps, 1};
  d.codec->gop_size = fps * 2;
  // Drawing a frame costs a tenth of encoding it: the encoder gets both cores, the drawing
  // thread fills the gaps.
  d.codec->thread_count = 2;
  if (d.format->oformat->flags & AVFMT_GLOBALHEADER) d.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  av_opt_set(d.codec->priv_data, "preset", "veryfast", 0);
  av_opt_set(d.codec->priv_data, "crf", "23", 0);
  int rc = avcodec_open2(d.codec, h264, nullptr);
  if (rc < 0) return fail(AvText(rc));
  rc = avcodec_parameters_from_context(d.stream->codecpar, d.codec);
  if (rc < 0) return fail(AvText(rc));
  d.stream->time_base = d.codec->time_base;
  d.stream->avg_frame_rate = AVRational{fps, 1};
  constexpr int kBuffer = 1 << 16;
  auto* buffer = static_cast<unsigned char*>(av_malloc(kBuffer));
  d.io = avio_alloc_context(buffer, kBuffer, 1, &d.file, nullptr, WritePacket, Seek);
  if (!d.io) return fail(QStringLiteral("out of memory"));
  d.io->seekable = AVIO_SEEKABLE_NORMAL;
  d.format->pb = d.io;
  rc = avformat_write_header(d.format, nullptr);
  if (rc < 0) return fail(AvText(rc));
  d.headerWritten = true;
  d.frame = av_frame_alloc();
  d.packet = av_packet_alloc();
  if (!d.frame || !d.packet) return fail(QStringLiteral("out of memory"));
  d.frame->format = AV_PIX_FMT_YUV420P;
  d.frame->width = width;
  d.frame->height = height;
  rc = av_frame_get_buffer(d.frame, 0);
  if (rc < 0) return fail(AvText(rc));
  // QImage's RGB32 is 0xffRRGGBB in native order: BGRA bytes on this platform.
  d.scale = sws_getContext(width, height, AV_PIX_FMT_RGB32, width, height, AV_PIX_FMT_YUV420P,
                           SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!d.scale) return fail(QStringLiteral("no colour conversion to YUV 4:2:0"));
  return true;
}

bool FfmpegEncoder::Add(const QImage& image) {
  if (!d_) return false;
  Encoding& d = *d_;
  if (image.width() != d.codec->width || image.height() != d.codec->height ||
      image.format() != QImage::Format_RGB32) {
    error_ = QStringLiteral("a frame of the wrong size or format");
    return false;
  }
  int rc = av_frame_make_writable(d.frame);
  if (rc >= 0) {
    const uint8_t* src[] = {image.constBits()};
    const int stride[] = {static_cast<int>(image.bytesPerLine())};
    sws_scale(d.scale, src, stride, 0, image.height(), d.frame->data, d.frame->linesize);
    d.frame->pts = d.next++;
    rc = d.Encode(d.frame);
  }
  if (rc < 0) {
    error_ = d.file.fileName() + QStringLiteral(": ") + AvText(rc);
    return false;
  }
  return true;
}

bool FfmpegEncoder::Finish() {
  if (!d_) return false;
  Encoding& d = *d_;
  int rc = d.Encode(nullptr);
  if (rc >= 0) rc = av_write_trailer(d.format);
  if (rc >= 0) avio_flush(d.io);
  bool ok = rc >= 0 && d.io->error >= 0;
  if (!ok) error_ = d.file.fileName() + QStringLiteral(": ") + AvText(rc < 0 ? rc : d.io->error);
  if (ok && !d.file.commit()) {
    ok = false;
    error_ = d.file.fileName() + QStringLiteral(": ") + d.file.errorString();
  }
  d_.reset();
  return ok;
}

}  // namespace kw

extern "C" __attribute__((visibility("default"))) kw::VideoEncoder* keelway_new_video_encoder() {
  return new kw::FfmpegEncoder();
}
