#include "analysis/playback.h"

#include <QString>

#include <algorithm>
#include <cmath>

#include "analysis/frame_state.h"
#include "analysis/mark_passing.h"
#include "analysis/playback_state.h"
#include "race/numbers.h"

namespace kw {

namespace {

constexpr unsigned kRed = 0xFF0000, kGreen = 0x008000, kWhite = 0xFFFFFF;

unsigned LightPenFor(char letter) {
  if (letter == 'R') return kRed;
  if (letter == 'G') return kGreen;
  return kWhite;
}

}  // namespace

double SpeedFromPosition(int position) {
  const double p = position;
  if (p < 40) return std::trunc(p / 4 + 1);
  if (p < 80) return std::trunc((p - 40) / 4 + 1) * 10;
  return std::trunc((p - 80) / 4 + 1) * 100;
}

double TimeOfDay(double startSecondOfDay, double clock) {
  const double x = startSecondOfDay + clock;
  return x - std::trunc(x / 86400) * 86400;
}

double DaylightBrightness(double timeOfDay, double sunrise, double sunset, int* night) {
  double s = 100;
  int dark = 0;
  if (!(sunrise < timeOfDay && timeOfDay < sunset)) {
    s = 0;
    dark = 1;
  }
  if (std::abs(timeOfDay - sunrise) < 3600) s = (timeOfDay - sunrise) * 50 / 3600 + 50;
  if (std::abs(timeOfDay - sunset) < 2400) s = (sunset - timeOfDay) * 50 / 2400 + 50;
  if (night) *night = dark;
  return s;
}

Rgb SeaColorFor(int p) {
  const int blue = std::min(255, RoundInt(3.25 * p + 70));
  return Rgb{static_cast<std::uint8_t>(std::clamp(RoundInt(1.1 * p), 0, 255)),
             static_cast<std::uint8_t>(std::clamp(RoundInt(1.6 * p), 0, 255)),
             static_cast<std::uint8_t>(std::clamp(blue, 0, 255))};
}

Rgb GridColorFor(int p) {
  const Rgb sea = SeaColorFor(p);
  if (p > 50)
    return Rgb{static_cast<std::uint8_t>(std::max(0, sea.r - 50)),
               static_cast<std::uint8_t>(std::max(0, sea.g - 50)), sea.b};
  return Rgb{static_cast<std::uint8_t>(std::min(255, sea.r + 80)),
             static_cast<std::uint8_t>(std::min(255, sea.g + 80)),
             static_cast<std::uint8_t>(std::min(255, sea.b + 80))};
}

bool AdvanceClock(PlaybackState& p) {
  if (p.ClockStep == 0) p.ClockStep = 0.03;
  bool skipped = false;
  if (p.BoatsOnScreen > 0) {
    p.RaceClock += p.PlayDirection * p.ClockStep;
  } else {
    // Nothing to watch inside the map: move on quickly.
    p.RaceClock += p.PlayDirection * p.ClockStep * 40;
    skipped = true;
  }
  if (p.PrevRaceClock <= 0 && p.RaceClock > 0) p.SpeedRampStep = 0;
  if (p.RaceClock >= 0 && p.SpeedRampStep < p.SpeedRampLength) p.SpeedRampStep += 1;
  p.SpeedRampStep = std::min(p.SpeedRampStep, p.SpeedRampLength);
  p.LightPhaseSeconds += p.FrameInterval / 1000.0;
  return skipped;
}

void WrapBackward(const RaceData& race, PlaybackState& p) {
  if (p.RaceClock < race.ClockFirst) p.RaceClock = race.ClockLast;
}

bool EndOfRaceDue(const RaceData& race, const PlaybackState& p) {
  // Only forward play reaches the end: backward play has just wrapped to ClockLast, and nobody
  // on the water is no reason to leave a race that is being watched backwards.
  if (p.PlayDirection < 0) return false;
  return p.RaceClock >= race.ClockLast || (p.RaceClock > 600 && p.BoatsWithPosition == 0);
}

int ApplyRepeatSpan(PlaybackState& p) {
  if (!p.RepeatActive) return 0;
  int wraps = 0;
  if (p.RaceClock > p.RepeatTo) {
    p.RaceClock = p.RepeatFrom;
    ++wraps;
  }
  if (p.RaceClock < p.RepeatFrom) {
    p.RaceClock = p.RepeatTo;
    ++wraps;
  }
  return wraps;
}

std::vector<int> DueFinishes(const RaceData& race, const PassingResults& passing,
                             PlaybackState& p) {
  std::vector<int> due;
  const int last = race.CourseCount;
  if (!(p.RaceClock > 0.3 * race.ClockLast) || last <= 0 || last > passing.EntryCount) return due;
  if (!(p.RaceClock > passing.EntryLeadTime[last] - 5)) return due;
  if (static_cast<int>(p.FinishShown.size()) < race.BoatCount + 1)
    p.FinishShown.resize(static_cast<size_t>(race.BoatCount) + 1, 0);
  for (int b = 1; b <= race.BoatCount && b < static_cast<int>(passing.MarkPassTime.size()); ++b) {
    const double finish = passing.MarkPassTime[b][last];
    if (finish > 0 && RoundHalfEven(finish) <= p.RaceClock && p.FinishShown[b] == 0) {
      p.FinishShown[b] = 1;
      ++p.FinishedCount;
      due.push_back(b);
    }
  }
  return due;
}

bool HideRankings(const RaceData& race, PlaybackState& p) {
  if (!(p.RaceClock < 0.3 * race.ClockLast)) return false;
  p.FinishedCount = 0;
  return true;
}

bool StartGunDue(const PlaybackState& p) {
  return p.PrevRaceClock < 0 && p.RaceClock >= 0 && p.RaceClock < 60;
}

std::optional<int> SpeedRampPosition(const RaceData& race, const PlaybackState& p) {
  if (race.RaceSpeed > race.PreStartSpeed && p.RaceClock >= 0 &&
      p.SpeedRampStep < p.SpeedRampLength && p.PlaySpeed < race.RaceSpeed) {
    const float pos =
        p.PreStartSpeedPosition +
        p.SpeedRampStep * (p.RaceSpeedPosition - p.PreStartSpeedPosition) / p.SpeedRampLength;
    return RoundInt(pos);
  }
  return std::nullopt;
}

void UpdateClockStep(PlaybackState& p) {
  if (p.FrameCount < 5) p.FrameCount = 20;
  p.ClockStep = p.PlaySpeed / p.FrameCount;
  if (p.ClockStep < 0.01) p.ClockStep = 1.0;
  p.FrameCount = 0;
}

int AdvanceBlink(PlaybackState& p) {
  p.BlinkPhase = p.BlinkPhase % 3 + 1;
  return p.BlinkPhase == 1 ? 1 : 0;
}

bool RearmFinishGuns(const PassingResults& passing, int courseCount, PlaybackState& p) {
  if (courseCount < 1 || courseCount >= static_cast<int>(passing.EntryLeadTime.size()))
    return false;
  if (!(p.RaceClock < passing.EntryLeadTime[courseCount])) return false;
  std::fill(p.FinishShown.begin(), p.FinishShown.end(), 0);
  // Nobody has finished yet: the guns fire again, so the count starts again too.
  p.FinishedCount = 0;
  return true;
}

MeanSpeeds ComputeMeanSpeeds(const RaceData& race, const FrameBoats& frame) {
  double up = 0, down = 0;
  int nUp = 0, nDown = 0;
  const int n = std::min<int>(race.BoatCount, static_cast<int>(frame.BoatSpeedNow.size()) - 1);
  for (int b = 1; b <= n; ++b) {
    if (race.BoatShown[b] != 1 || !(frame.BoatSpeedNow[b] > 0)) continue;
    if (std::abs(frame.BoatWindAngleNow[b]) >= 90) {
      down += frame.BoatSpeedNow[b];
      ++nDown;
    } else {
      up += frame.BoatSpeedNow[b];
      ++nUp;
    }
  }
  MeanSpeeds m;
  if (nUp > 0) m.up = up / nUp;
  if (nDown > 0) m.down = down / nDown;
  return m;
}

int CountdownBeeps(PlaybackState& p) {
  int beeps = 0;
  if (p.RaceClock >= -30 && p.RaceClock < 0) ++beeps;
  if (p.RaceClock < 0) {
    const int minute = static_cast<int>(std::trunc(p.RaceClock / 60));
    if (minute != p.LastCountdownMinute) {
      ++beeps;
      p.LastCountdownMinute = minute;
    }
  }
  return beeps;
}

void TickLights(const RaceData& race, PlaybackState& p) {
  p.LightTick += 1;
  p.LightPhaseSeconds = 0;
  const size_t n = static_cast<size_t>(race.LightCount) + 1;
  p.LightState.resize(n, 0);
  p.LightPen.resize(n, kWhite);
  for (int i = 1; i <= race.LightCount; ++i) {
    const int period = race.LightPeriod[i];
    if (period < 1) continue;
    const int a = (p.LightTick + i) % period;
    const std::string& colours = race.LightColors[i];
    p.LightState[i] = 0;
    if (a == 0) {
      p.LightState[i] = 1;
      p.LightPen[i] = LightPenFor(colours.empty() ? ' ' : colours.front());
    }
    if (a <= race.LightOnSeconds[i]) p.LightState[i] = a;
    // Two-colour lights show their second colour at half period.
    if (colours.size() >= 2 && 2 * a == period) {
      p.LightState[i] = 1;
      p.LightPen[i] = LightPenFor(colours.back());
    }
  }
}

QString StopWatchText(double seconds) {
  const long long total = static_cast<long long>(std::trunc(std::abs(seconds)));
  return QStringLiteral("%1%2:%3:%4")
      .arg(seconds <= -1 ? QStringLiteral("-") : QString())
      .arg(total / 3600, 2, 10, QLatin1Char('0'))
      .arg(total / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(total % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace kw
