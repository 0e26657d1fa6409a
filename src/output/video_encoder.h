// What the video writer asks of its encoder. The encoder, with the FFmpeg libraries it needs,
// is a module of its own (modules/video_encoder.cpp, built as keelway_video.so) that the writer
// loads when a video is made: linked into keelway-cli, FFmpeg's libraries took about 20 ms of
// every command's start, a third of the time a fleet's summary takes now.
#pragma once

#include <QString>

class QImage;

namespace kw {

class VideoEncoder {
 public:
  virtual ~VideoEncoder() = default;
  virtual bool Open(const QString& path, int width, int height, int fps) = 0;
  virtual bool Add(const QImage& frame) = 0;
  virtual bool Finish() = 0;
  virtual QString error() const = 0;
  virtual int frames() const = 0;
};

// The module's one entry point: a new encoder, which the caller owns.
using NewVideoEncoder = VideoEncoder* (*)();
inline constexpr char kNewVideoEncoderSymbol[] = "keelway_new_video_encoder";

}  // namespace kw
