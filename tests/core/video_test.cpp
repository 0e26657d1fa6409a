// keelway-cli video: the frame-time arithmetic, and videos decoded back with the same libraries
// (frames, size, duration, a frame against the snapshot of its moment), errors and Ctrl-C.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdlib>

#include "cli/video.h"
#include "support/cli_run.h"
#include "support/test_support.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

struct Decoded {
  int frames = 0, width = 0, height = 0;
  double seconds = 0;  // the stream's duration
  QImage frame;        // the frame asked for, as RGB32
};

// Decodes every frame of `path`, keeping frame `keep`.
Decoded Decode(const QString& path, int keep) {
  Decoded d;
  AVFormatContext* fmt = nullptr;
  if (avformat_open_input(&fmt, path.toLocal8Bit().constData(), nullptr, nullptr) < 0) return d;
  avformat_find_stream_info(fmt, nullptr);
  const int index = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  AVStream* st = fmt->streams[index];
  d.seconds = st->duration * av_q2d(st->time_base);
  const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(ctx, st->codecpar);
  avcodec_open2(ctx, codec, nullptr);
  d.width = ctx->width, d.height = ctx->height;
  AVPacket* pkt = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  auto drain = [&] {
    while (avcodec_receive_frame(ctx, frame) >= 0) {
      if (d.frames == keep) {
        QImage img(frame->width, frame->height, QImage::Format_RGB32);
        SwsContext* sws = sws_getContext(
            frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), frame->width,
            frame->height, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
        uint8_t* dst[] = {img.bits()};
        const int stride[] = {static_cast<int>(img.bytesPerLine())};
        sws_scale(sws, frame->data, frame->linesize, 0, frame->height, dst, stride);
        sws_freeContext(sws);
        d.frame = img;
      }
      ++d.frames;
    }
  };
  while (av_read_frame(fmt, pkt) >= 0) {
    if (pkt->stream_index == index) avcodec_send_packet(ctx, pkt);
    av_packet_unref(pkt);
    drain();
  }
  avcodec_send_packet(ctx, nullptr);
  drain();
  av_frame_free(&frame);
  av_packet_free(&pkt);
  avcodec_free_context(&ctx);
  avformat_close_input(&fmt);
  return d;
}

int RunCli(const QStringList& args, QByteArray* err = nullptr) {
  const kwtest::CliRun r = kwtest::Cli(args);
  if (err) *err = r.err;
  return r.status;
}

}  // namespace

TEST(VideoTime, FrameKShowsFromPlusKTimesSpeedOverFps) {
  const struct {
    double from, to, speed;
    int fps, frames;
  } cases[] = {
      {0, 3600, 10, 25, 9000},                       // a 10x video of one hour lasts six minutes
      {-300, 300, 10, 25, 1500}, {0, 1, 10, 25, 3},  // clocks 0, 0.4, 0.8
      {5, 5, 10, 25, 0},                             // an empty range
      {5, 4, 10, 25, 0},         {0, 100, 0, 25, 0},
  };
  for (const auto& c : cases) {
    kw::VideoOptions o;
    o.from = c.from, o.to = c.to, o.speed = c.speed, o.fps = c.fps;
    EXPECT_EQ(kw::VideoFrameCount(o), c.frames) << c.from << ".." << c.to;
    if (c.frames > 0) {
      EXPECT_DOUBLE_EQ(kw::VideoFrameClock(o, 0), c.from);
      EXPECT_DOUBLE_EQ(kw::VideoFrameClock(o, c.frames - 1),
                       c.from + (c.frames - 1) * c.speed / c.fps);
      EXPECT_LT(kw::VideoFrameClock(o, c.frames - 1), c.to);
    }
  }
}

TEST(Video, DecodesBackAsAskedAndMatchesTheSnapshot) {
  const QString demo = kwtest::DemoDir();
  if (!QFileInfo::exists(demo + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo";
  QTemporaryDir dir;
  const QString mp4 = dir.path() + "/r.mp4", png = dir.path() + "/r.png";
  const QStringList common = {"--root", demo, "--size", "320x240", "--still", "--north-up"};
  ASSERT_EQ(RunCli(QStringList{"video", "--from", "0", "--to", "4", "--speed", "1", "--fps", "5",
                               "--out", mp4} +
                   common),
            0);
  const Decoded d = Decode(mp4, 10);  // frame 10 shows race clock 2.0
  EXPECT_EQ(d.frames, 20);
  EXPECT_EQ(d.width, 320);
  EXPECT_EQ(d.height, 240);
  EXPECT_NEAR(d.seconds, 4.0, 0.01);
  ASSERT_EQ(RunCli(QStringList{"snapshot", "--at", "2", "--out", png} + common), 0);
  const QImage snap(png);
  ASSERT_EQ(snap.size(), d.frame.size());
  // H.264 keeps colour at a quarter of the pixels: thin coloured tracks smear, so compare the
  // means of 8 x 8 blocks.
  double diff = 0;
  int blocks = 0;
  for (int by = 0; by + 8 <= snap.height(); by += 8)
    for (int bx = 0; bx + 8 <= snap.width(); bx += 8, ++blocks)
      for (int c = 0; c < 3; ++c) {
        double a = 0, b = 0;
        for (int y = by; y < by + 8; ++y)
          for (int x = bx; x < bx + 8; ++x) {
            const QRgb p = snap.pixel(x, y), q = d.frame.pixel(x, y);
            a += c == 0 ? qRed(p) : c == 1 ? qGreen(p) : qBlue(p);
            b += c == 0 ? qRed(q) : c == 1 ? qGreen(q) : qBlue(q);
          }
        diff += std::abs(a - b) / 64;
      }
  EXPECT_LT(diff / (3.0 * blocks), 3.0);
}

TEST(Video, ErrorsAndACleanStop) {
  const QString demo = kwtest::DemoDir();
  if (!QFileInfo::exists(demo + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo";
  QTemporaryDir dir;
  QByteArray err;
  EXPECT_EQ(RunCli({"video", "--root", demo, "--from", "100", "--to", "100", "--out",
                    dir.path() + "/e.mp4"},
                   &err),
            64);
  EXPECT_TRUE(err.contains("holds no frame")) << err.toStdString();
  EXPECT_EQ(RunCli({"video", "--root", demo, "--size", "321x240"}), 64);
  EXPECT_EQ(RunCli({"video", "--root", demo, "--fps", "0"}), 64);
  EXPECT_EQ(
      RunCli({"video", "--root", demo, "--to", "10", "--out", dir.path() + "/no/dir/v.mp4"}, &err),
      1);
  EXPECT_TRUE(err.contains("no/dir/v.mp4")) << err.toStdString();
  // A program without its encoder module says so, and leaves no file, while every other
  // command still runs.
  const QString lone = dir.path() + "/keelway-cli";
  ASSERT_TRUE(QFile::copy(QStringLiteral(KEELWAY_CLI), lone));
  QProcess p0;
  p0.start(lone, {"video", "--root", demo, "--to", "10", "--out", dir.path() + "/v.mp4"});
  ASSERT_TRUE(p0.waitForFinished(60000));
  EXPECT_EQ(p0.exitCode(), 1);
  EXPECT_TRUE(p0.readAllStandardError().contains("no video encoder (keelway_video)"));
  EXPECT_FALSE(QFileInfo::exists(dir.path() + "/v.mp4"));
  p0.start(lone, {"summary", "--root", demo});
  ASSERT_TRUE(p0.waitForFinished(60000));
  EXPECT_EQ(p0.exitCode(), 0);

  // Ctrl-C part way: a playable file of the frames made so far.
  const QString mp4 = dir.path() + "/stopped.mp4";
  QProcess p;
  p.start(QStringLiteral(KEELWAY_CLI),
          {"video", "--root", demo, "--size", "320x240", "--speed", "1", "--out", mp4});
  p.setReadChannel(QProcess::StandardError);
  QByteArray seen;
  while (!seen.contains("frame 26/") && p.waitForReadyRead(20000)) seen += p.readAllStandardError();
  ASSERT_TRUE(seen.contains("frame 26/")) << seen.toStdString();
  ::kill(static_cast<pid_t>(p.processId()), SIGINT);
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0);
  const Decoded d = Decode(mp4, 0);
  EXPECT_GE(d.frames, 26);
  EXPECT_LT(d.frames, 25 * 1000);
  EXPECT_EQ(d.width, 320);
}
