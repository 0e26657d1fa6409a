// keelway-cli video: the replay rendered frame by frame into an H.264 MP4.
#pragma once

#include <QString>

#include <csignal>

#include "cli/snapshot.h"

namespace kw {

struct RaceSession;

struct VideoOptions {
  SnapshotOptions map;      // size, orientation, still map
  double from = 0, to = 0;  // race clock range, seconds
  double speed = 10;        // seconds of race per second of video
  int fps = 25;
};

// Frames of a video: frame k shows race clock from + k * speed / fps, for every k whose clock
// lies before `to`; so a 10x video of one hour lasts six minutes.
int VideoFrameCount(const VideoOptions& o);
double VideoFrameClock(const VideoOptions& o, int k);

// Renders and encodes the video into `path`; progress on stderr. Returns an empty text when
// done (also when stopped by `stop`, with the frames made so far), else why it failed.
QString WriteVideo(RaceSession& s, const VideoOptions& o, const QString& path,
                   const volatile std::sig_atomic_t* stop);

}  // namespace kw
