#include "race/tracks/track_store.h"

#include "race/datetime.h"
#include "race/fields.h"
#include "race/model.h"
#include "race/numbers.h"

namespace kw {

std::optional<double> ParseCoordinate(std::string_view text, int mode) {
  text = Trim(text);
  if (text.size() < 2) return std::nullopt;
  const char h = text[0];
  const double sign = (h == 'S' || h == 'W' || h == 's' || h == 'w') ? -1.0 : 1.0;
  std::string_view body = Trim(text.substr(1));
  double v;
  if (mode == kCoordDeg) {
    if (!ParseReal(body, v)) return std::nullopt;
    return sign * v * 60.0;
  }
  size_t point = body.find('.');
  if (point == std::string_view::npos) point = body.size();
  const size_t minuteDigits = mode == kCoordDms ? 4 : 2;
  if (point < minuteDigits) return std::nullopt;
  const size_t degLen = point - minuteDigits;
  double deg = 0;
  if (degLen > 0) {
    int d;
    if (!ParseInt(body.substr(0, degLen), d) || d < 0) return std::nullopt;
    deg = d;
  }
  if (mode == kCoordDms) {
    int minutes;
    double seconds;
    if (!ParseInt(body.substr(degLen, 2), minutes) || minutes < 0) return std::nullopt;
    if (!ParseReal(body.substr(degLen + 2), seconds) || seconds < 0) return std::nullopt;
    v = deg * 60 + minutes + seconds / 60.0;
  } else {
    double minutes;
    if (!ParseReal(body.substr(degLen), minutes) || minutes < 0) return std::nullopt;
    v = deg * 60 + minutes;
  }
  return sign * v;
}

TrackSettings SettingsOf(const RaceData& race, int row) {
  TrackSettings s;
  s.startUtc = race.StartTimeUtc;
  s.offset = race.BoatTimeOffset[row];
  s.preStartSeconds = race.PreStartSeconds;
  s.clockLast = race.ClockLast;
  s.raceDate = race.RaceDate;
  return s;
}

TrackStore::TrackStore(RaceData& race, int row)
    : race_(&race),
      row_(row),
      settings_(SettingsOf(race, row)),
      firstKept_(-static_cast<long long>(settings_.preStartSeconds) - 60) {
  race.BoatSampleCount[row] = 0;
}

TrackStore::TrackStore(const TrackSettings& settings, TrackBuffer& buffer)
    : buffer_(&buffer),
      settings_(settings),
      firstKept_(-static_cast<long long>(settings.preStartSeconds) - 60) {
  buffer.count = 0;
}

void TrackStore::SetRules(const TrackRules& rules) {
  rules_ = rules;
  lastKept_ = settings_.clockLast + 120;
}

double TrackStore::raceDate() const {
  return settings_.raceDate;
}

bool TrackStore::Keep(long long seconds, long long& s) {
  if (rules_.pumpsEvents && pump_ && ++offered_ % kPumpEvery == 0) pump_();
  s = seconds + settings_.offset;
  if (offeredAll_++ == 0) firstOffered_ = s;
  lastOffered_ = s;
  if (s <= firstKept_ || (rules_.upperLimit && !(static_cast<double>(s) < lastKept_))) {
    ++outside_;
    return false;
  }
  ++n_;
  if (n_ > capacity_ - rules_.growMargin) capacity_ = n_ + rules_.growStep;
  time_.push_back(static_cast<double>(s));
  return true;
}

void TrackStore::SwitchToMinutes() {
  lat_ = Minutes(lat_, latQ_);
  lon_ = Minutes(lon_, lonQ_);
  latQ_ = {};
  lonQ_ = {};
  onGrid_ = false;
}

std::vector<double> TrackStore::Minutes(const std::vector<double>& minutes,
                                        const std::vector<int32_t>& points) const {
  if (!onGrid_) return minutes;
  std::vector<double> out(points.size());
  for (size_t i = 0; i < out.size(); ++i) out[i] = PositionColumn::Decode(grid_, points[i]);
  return out;
}

void TrackStore::AddSeconds(long long seconds, double lat, double lon) {
  long long s;
  if (!Keep(seconds, s)) return;
  if (onGrid_) SwitchToMinutes();
  lat_.push_back(lat);
  lon_.push_back(lon);
}

void TrackStore::AddAtOnGrid(double utcDayCount, PositionColumn::Grid grid, int32_t lat,
                             int32_t lon) {
  long long s;
  if (!Keep(SecondsBetween(settings_.startUtc, utcDayCount), s)) return;
  if (onGrid_ && !gridChosen_) grid_ = grid, gridChosen_ = true;
  if (onGrid_ && grid != grid_) SwitchToMinutes();
  if (onGrid_) {
    latQ_.push_back(lat);
    lonQ_.push_back(lon);
  } else {
    lat_.push_back(PositionColumn::Decode(grid, lat));
    lon_.push_back(PositionColumn::Decode(grid, lon));
  }
}

int TrackStore::Finish() {
  int interval = 30;
  if (n_ >= rules_.intervalMinCount) {
    const auto& t = time_;
    interval = RoundInt((t[static_cast<size_t>(n_ - 5)] - t[5]) / (n_ - 10));
  }
  const size_t count = time_.size(), size = static_cast<size_t>(capacity_);
  auto pack = [&](PositionColumn& column, const std::vector<double>& minutes,
                  const std::vector<int32_t>& points) {
    if (onGrid_) {
      column.AssignOnGrid(grid_, points, size);
    } else {
      column.Assign(minutes.data(), count, size);
    }
  };
  if (race_) {
    race_->TrackTime[row_].Assign(time_.data(), count, size);
    pack(race_->TrackLat[row_], lat_, latQ_);
    pack(race_->TrackLon[row_], lon_, lonQ_);
    race_->TrackSpeed[row_].resize(size);
    race_->TrackSpeed[row_].Zero();
    race_->TrackCourse[row_].resize(size);
    race_->TrackCourse[row_].Zero();
    race_->BoatSampleCount[row_] = n_;
    race_->BoatSampleInterval[row_] = interval;
  } else {
    buffer_->time.Assign(time_.data(), count, size);
    pack(buffer_->lat, lat_, latQ_);
    pack(buffer_->lon, lon_, lonQ_);
    buffer_->count = n_;
    buffer_->interval = interval;
  }
  return n_;
}

}  // namespace kw
