// An H.264 video in an MP4 file, written frame by frame through the FFmpeg libraries. The file
// grows in a temporary file beside its place and replaces it only when finished, as every file
// keelway writes; a writer stopped early (Ctrl-C) still finishes a playable file of the frames
// it got. The encoding itself is done by a module loaded on the first Open (video_encoder.h).
#pragma once

#include <QImage>
#include <QString>

#include <memory>

namespace kw {

class VideoEncoder;

class VideoWriter {
 public:
  VideoWriter();
  ~VideoWriter();
  VideoWriter(const VideoWriter&) = delete;
  VideoWriter& operator=(const VideoWriter&) = delete;

  // Opens `path` for frames of width x height (both even) at `fps` frames a second. On failure
  // (also when the encoder module cannot be loaded) returns false with the reason in error().
  bool Open(const QString& path, int width, int height, int fps);
  // Encodes one RGB32 frame of the opened size; frame k is shown at k / fps seconds.
  bool Add(const QImage& frame);
  // Flushes the encoder, closes the MP4 and puts it in its place.
  bool Finish();
  QString error() const;
  int frames() const;

 private:
  std::unique_ptr<VideoEncoder> encoder_;
  QString error_;  // why the encoder could not be had
};

}  // namespace kw
