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

TrackStore::TrackStore(RaceData& race, int row)
    : race_(race),
      row_(row),
      capacity_(100),
      startUtc_(race.StartTimeUtc),
      offset_(race.BoatTimeOffset[row]),
      firstKept_(-static_cast<long long>(race.PreStartSeconds) - 60) {
  SetTrackCapacity(race_, row_, capacity_);
  race_.BoatSampleCount[row_] = 0;
}

void TrackStore::SetRules(const TrackRules& rules) {
  rules_ = rules;
  lastKept_ = race_.ClockLast + 120;
}

double TrackStore::raceDate() const {
  return race_.RaceDate;
}

void TrackStore::AddAt(double utcDayCount, double lat, double lon) {
  AddSeconds(SecondsBetween(startUtc_, utcDayCount), lat, lon);
}

void TrackStore::AddSeconds(long long seconds, double lat, double lon) {
  if (rules_.pumpsEvents && pump_ && ++offered_ % kPumpEvery == 0) pump_();
  const long long s = seconds + offset_;
  if (offeredAll_++ == 0) firstOffered_ = s;
  lastOffered_ = s;
  if (s <= firstKept_ || (rules_.upperLimit && !(static_cast<double>(s) < lastKept_))) {
    ++outside_;
    return;
  }
  ++n_;
  if (n_ > capacity_ - rules_.growMargin) {
    capacity_ = n_ + rules_.growStep;
    SetTrackCapacity(race_, row_, capacity_);
  }
  race_.TrackTime[row_][n_] = static_cast<double>(s);
  race_.TrackLat[row_][n_] = lat;
  race_.TrackLon[row_][n_] = lon;
}

int TrackStore::Finish() {
  race_.BoatSampleCount[row_] = n_;
  if (n_ < rules_.intervalMinCount) {
    race_.BoatSampleInterval[row_] = 30;
  } else {
    const auto& t = race_.TrackTime[row_];
    race_.BoatSampleInterval[row_] = RoundInt((t[n_ - 5] - t[5]) / (n_ - 10));
  }
  return n_;
}

}  // namespace kw
