#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <algorithm>
#include <map>

#include "analysis/boat_state.h"
#include "analysis/frame_state.h"
#include "output/kml.h"
#include "race/datetime.h"
#include "race/model.h"
#include "race/numbers.h"
#include "session/loader.h"
#include "session/session.h"
#include "support/test_support.h"

using namespace kw;

namespace {

std::vector<std::string> Lines(const std::string& doc) {
  std::vector<std::string> out;
  size_t p = 0;
  while (p < doc.size()) {
    size_t e = doc.find('\n', p);
    out.push_back(doc.substr(p, e - p));
    p = e == std::string::npos ? doc.size() : e + 1;
  }
  return out;
}

// Whether `block` occurs in `lines` as consecutive lines.
bool HasBlock(const std::vector<std::string>& lines, const std::vector<std::string>& block) {
  return std::search(lines.begin(), lines.end(), block.begin(), block.end()) != lines.end();
}

long Count(const std::vector<std::string>& lines, const std::string& prefix) {
  return std::count_if(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

// Two boats with 13 samples 600 s apart from the gun; boat 2 is not ticked. Positions in
// minutes chosen to be exact in degrees (2100' = 35 deg, 8370' = 139.5 deg).
RaceData CraftedRace() {
  RaceData r;
  r.RaceCaption = QStringLiteral("keelway  bay-race.txt");
  r.StartTime = EncodeDateTime(2025, 10, 12, 11, 0, 0);
  r.ClockLast = 7230;
  r.ProgramFolder = QStringLiteral("/opt/kw/");
  r.BoatCount = 2;
  SetBoatTableCapacity(r);
  r.BoatName[1] = "A&B <2>";
  r.BoatName[2] = "\xe6\xb1\x9f\xe3\x83\x8e\xe5\xb3\xb6";  // UTF-8 "江ノ島"
  r.BoatShown[1] = 1;
  r.BoatShown[2] = 0;
  r.BoatKmlColor[1] = "FFFF0000";
  r.BoatKmlColor[2] = "FF00FF00";
  for (int b = 1; b <= 2; ++b) {
    SetTrackCapacity(r, b, 14);
    r.BoatSampleCount[b] = 13;
    for (int k = 1; k <= 13; ++k) {
      r.TrackTime[b][k] = (k - 1) * 600.0;
      r.TrackLat[b][k] = 2100 + (k - 1) * 0.6 + (b - 1) * 3;
      r.TrackLon[b][k] = 8370 + (k - 1) * 1.2;
      r.TrackSpeed[b][k] = 5 + k * 0.125;
      r.TrackCourse[b][k] = k * 30 % 360;
    }
  }
  r.MarkCount = 1;
  r.MarkLat[1] = 2106;
  r.MarkLon[1] = 8373;
  r.LineCount = 1;
  r.LineLatA[1] = 2100;
  r.LineLonA[1] = 8370;
  r.LineLatB[1] = 2100.3;
  r.LineLonB[1] = 8370.6;
  return r;
}

}  // namespace

TEST(KmlPieces, IconHeadingDocumentNameAndTimeStep) {
  EXPECT_EQ(KmlIconHeading(355.2), 0);
  EXPECT_EQ(KmlIconHeading(344.9), 340);
  EXPECT_EQ(KmlIconHeading(345), 350);
  EXPECT_EQ(KmlIconHeading(4.9), 0);
  EXPECT_EQ(KmlIconHeading(5), 10);
  EXPECT_EQ(KmlIconHeading(0), 0);
  EXPECT_EQ(KmlIconHeading(360), 0);
  const int huge = KmlIconHeading(1e300);  // no overflow, still one of the 36 icons
  EXPECT_TRUE(huge >= 0 && huge <= 350 && huge % 10 == 0) << huge;

  EXPECT_EQ(KmlDocumentName("keelway  bay-race.txt"), " bay-race");
  EXPECT_EQ(KmlDocumentName("Enoshima Autumn Regatta  Race 1"), "");  // no "."
  EXPECT_EQ(KmlDocumentName("keelway  a.b.txt"), " a");

  EXPECT_EQ(KmlTimeStep(7230), 300);    // c = 144
  EXPECT_EQ(KmlTimeStep(14999), 300);   // c = 299
  EXPECT_EQ(KmlTimeStep(15000), 600);   // c = 300
  EXPECT_EQ(KmlTimeStep(60000), 1800);  // c = 1200
}

TEST(KmlRace, WritesTracksTimeStepsMarksAndLines) {
  const RaceData r = CraftedRace();
  const auto lines = Lines(KmlRaceDocument(r, KmlOptions{1, false}));
  // The name is escaped; the shown boat's line is 2 wide, the hidden boat's 1.
  EXPECT_TRUE(
      HasBlock(lines, {R"(<?xml version="1.0" encoding="UTF-8"?>)",
                       R"(<kml xmlns="http://earth.google.com/kml/2.0">)", "<Folder>",
                       "<name> bay-race</name><open>1</open>", "<Folder><name>Track Lines</name>",
                       "<Placemark><name>A&amp;B &lt;2&gt;</name>",
                       "<Style><LineStyle><color>FFFF0000</color><width>2</width>"
                       "</LineStyle></Style>",
                       "<LineString><coordinates>", "139.5,35,0.0 ", "139.52,35.01,0.0 "}));
  EXPECT_TRUE(HasBlock(lines, {"<Placemark><name>江ノ島</name>",
                               "<Style><LineStyle><color>FF00FF00</color><width>1</width>"
                               "</LineStyle></Style>"}));
  EXPECT_TRUE(
      HasBlock(lines, {"139.74,35.17,0.0 ", "</coordinates></LineString></Placemark>", "</Folder>",
                       "<Folder><name>POINTS</name>", "<visibility>0</visibility>",
                       "<open>1</open>", "<Folder><name>2025/10/12 11:00:00</name>"}));

  // ClockLast 7230: steps of 300 s, k = 0..25.
  EXPECT_EQ(Count(lines, "<Folder><name>2025/10/12 "), 26);

  // Halfway between samples 1 and 2 at 11:05, with the speed and course of sample 2.
  EXPECT_TRUE(HasBlock(
      lines,
      {"<Folder><name>2025/10/12 11:05:00</name>", "<Placemark><name>A&amp;B &lt;2&gt;</name>",
       R"(<description><![CDATA[<ul type="disk"><li>Date Time：2025/10/12 11:05:00<br>)",
       "<li>LAT： 35.005 DEG<br>", "<li>LON： 139.51 DEG<br>", "<li>BSP： 5.25 KTS<br>",
       "<li>HDG： 60 DEG(T)<br>", "</ul>]]></description>",
       "<visibility>1</visibility><Style><IconStyle><heading>0</heading><Icon><href>"
       "/opt/kw/ya/ar60.png</href></Icon></IconStyle></Style>",
       "<Point><coordinates>139.51,35.005,0</coordinates>", "</Point></Placemark>"}));
  // A boat is placed while a later pair exists past its own: up to 6300 s here.
  EXPECT_EQ(Count(lines, "<Placemark><name>A&amp;B"), 1 + 22);

  EXPECT_TRUE(HasBlock(
      lines, {"<Folder><name>MARK_LINES</name>", "<Placemark><name>MK1</name>",
              "<visibility>1</visibility><Style><IconStyle><Icon>",
              "<href>/opt/kw/ya/buoi.png</href></Icon></IconStyle></Style>",
              "<Point><coordinates>139.55,35.1,0</coordinates>", "</Point></Placemark>",
              "<Placemark><name>line1</name>",
              "<Style><LineStyle><color>FFFF0000</color><width>1</width></LineStyle></Style>",
              "<LineString><coordinates>", "139.5,35,0.0 ", "139.51,35.005,0.0 ",
              "</coordinates></LineString></Placemark>", "<Placemark><name>LINE1-P</name>"}));
  EXPECT_TRUE(HasBlock(lines, {"<Placemark><name>LINE1-S</name>",
                               "<visibility>1</visibility><Style><IconStyle><Icon>",
                               "<href>/opt/kw/ya/buoi.png</href></Icon></IconStyle></Style>",
                               "<Point><coordinates>139.51,35.005,0</coordinates>",
                               "</Point></Placemark>", "</Folder>", "</Folder></kml>"}));
  EXPECT_EQ(lines.back(), "</Folder></kml>");

  // Only language 0 is Japanese: the English flag (1) and a non-Japanese system (2) read alike.
  EXPECT_EQ(Lines(KmlRaceDocument(r, KmlOptions{2, false})), lines);

  // Leaving out the unticked boat.
  const auto shown = Lines(KmlRaceDocument(r, KmlOptions{1, true}));
  EXPECT_EQ(Count(shown, "<Placemark><name>江ノ島"), 0);
  EXPECT_EQ(Count(lines, "<Placemark><name>江ノ島"), 1 + 22);
}

TEST(KmlRace, SamplesLessThanASecondApartGiveNoBrokenCoordinates) {
  RaceData r = CraftedRace();
  r.BoatCount = 1;
  // 599.6 and 600.4 both round to 600: the fraction falls back to 0 at t = 600.
  r.TrackTime[1][1] = 599.6;
  r.TrackTime[1][2] = 600.4;
  for (int k = 3; k <= 13; ++k) r.TrackTime[1][k] = 600 + (k - 2) * 600.0;
  const std::string doc = KmlRaceDocument(r, KmlOptions{1, false});
  EXPECT_EQ(doc.find("nan"), std::string::npos);
  EXPECT_NE(doc.find("<Point><coordinates>139.5,35,0</coordinates>"), std::string::npos);
}

TEST(KmlRace, AnyNameGivesAWellFormedDocument) {
  RaceData r = CraftedRace();
  r.RaceCaption = QStringLiteral("keelway  R&D <x>.txt");
  r.BoatName[1] = "]]> \x01\x1f tab\there";
  r.BoatName[2] = "\x8d\x5d\x83\x6d\x93\x87";  // Shift_JIS "江ノ島"
  r.ProgramFolder = QStringLiteral("/data/a&b/");
  const std::string doc = KmlRaceDocument(r, KmlOptions{0, false});
  QXmlStreamReader xml(QByteArray::fromStdString(doc));
  QStringList names;
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"name")
      names << xml.readElementText();
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(names[0], " R&D <x>");
  EXPECT_TRUE(names.contains("]]>  tab\there"));
  EXPECT_TRUE(names.contains(QString::fromUtf8("江ノ島")));
  EXPECT_NE(doc.find("<href>/data/a&amp;b/ya/buoi.png</href>"), std::string::npos);
}

TEST(KmlSnapshot, WakeOfTheLastSamplesAndJapaneseDescription) {
  RaceData r = CraftedRace();
  FrameBoats f;
  ComputeBoatState(r, 2430.4, 0, f);  // between samples 5 and 6
  ASSERT_EQ(f.BoatSampleIndex[1], 5);
  const auto lines = Lines(KmlSnapshotDocument(r, f, 2430.4, KmlOptions{0, false}));
  EXPECT_EQ(lines[3], "<name> bay-race</name><open>1</open>");
  EXPECT_EQ(lines[4], "<Folder><name>11:40:30</name>");
  EXPECT_TRUE(HasBlock(lines, {"<LineString><coordinates>", "139.58,35.04,0.0 ",
                               "139.56,35.03,0.0 ", "139.54,35.02,0.0 ", "139.52,35.01,0.0 ",
                               "139.5,35,0.0 ", "</coordinates></LineString></Placemark>",
                               "<Placemark><name>A&amp;B &lt;2&gt;</name>"}));
  EXPECT_TRUE(HasBlock(
      lines, {R"(<description><![CDATA[<ul type="disk"><li>日時：2025/10/12 11:40:30<br>)",
              "<li>緯度： " + ShortestReal((2100 + 2.4 + 0.6 * 30.4 / 600) / 60) + "度<br>",
              "<li>経度： " + ShortestReal((8370 + 4.8 + 1.2 * 30.4 / 600) / 60) + "度<br>",
              "<li>速度： 5.62ノット<br>" /* 5.625, half to even */, "<li>針路： 150度(T)<br>"}));
  EXPECT_EQ(lines.back(), "</Folder></Folder></kml>");
  EXPECT_EQ(Count(lines, "<Placemark>"), 4);

  // Later in a longer track the wake is the newest 21 samples; the unticked boat is left out.
  SetTrackCapacity(r, 1, 41);
  r.BoatSampleCount[1] = 40;
  for (int k = 14; k <= 40; ++k) {
    r.TrackTime[1][k] = (k - 1) * 600.0;
    r.TrackLat[1][k] = 2100 + (k - 1) * 0.6;
    r.TrackLon[1][k] = 8370 + (k - 1) * 1.2;
  }
  ComputeBoatState(r, 30 * 600 + 1, 0, f);
  ASSERT_EQ(f.BoatSampleIndex[1], 31);
  const auto late = Lines(KmlSnapshotDocument(r, f, 30 * 600 + 1, KmlOptions{1, true}));
  EXPECT_EQ(Count(late, "<Placemark>"), 2);
  EXPECT_EQ(Count(late, "<li>HDG： "), 1);
  EXPECT_EQ(std::count_if(late.begin(), late.end(),
                          [](const std::string& l) { return l.ends_with(",0.0 "); }),
            21);
  EXPECT_TRUE(HasBlock(late, {"<LineString><coordinates>", "140.1,35.3,0.0 "}));  // sample 31
}

TEST(KmlSnapshot, ExportReplacesTheFileAndReportsFailure) {
  kwtest::DataFolder dir;
  RaceData r = CraftedRace();
  FrameBoats f;
  ComputeBoatState(r, 100, 0, f);
  const QString docs = dir.path() + "docs";
  WriteResult w = ExportKmlSnapshot(r, f, 100, KmlOptions{}, docs);
  ASSERT_TRUE(w.ok) << w.message.toStdString();
  EXPECT_EQ(w.message, docs + "/KeelwayMap4.kml");
  EXPECT_EQ(dir.Read("docs/KeelwayMap4.kml"), KmlSnapshotDocument(r, f, 100, KmlOptions{}));
  w = ExportKmlRace(r, KmlOptions{}, docs + "/");
  ASSERT_TRUE(w.ok);
  EXPECT_EQ(w.message, docs + "/KeelwayMap5.kml");

  dir.Write("blocked", "a file where the folder should be");
  w = ExportKmlRace(r, KmlOptions{}, dir.path() + "blocked");
  EXPECT_FALSE(w.ok);
  EXPECT_FALSE(w.message.isEmpty());
}

namespace {

// Layer name -> feature count from `ogrinfo -ro -al -so`.
std::map<QString, int> OgrLayers(const QString& file, QString& output) {
  QProcess p;
  p.start(QStringLiteral("ogrinfo"), {"-ro", "-al", "-so", file});
  p.waitForFinished(60000);
  output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
  std::map<QString, int> layers;
  QString current;
  for (const QString& line : output.split('\n')) {
    if (line.startsWith("Layer name: ")) current = line.mid(12).trimmed();
    if (line.startsWith("Feature Count: ")) layers[current] = line.mid(15).trimmed().toInt();
  }
  return layers;
}

void ExpectWellFormed(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  while (!xml.atEnd()) xml.readNext();
  EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString()
                               << " line " << xml.lineNumber();
}

}  // namespace

TEST(KmlDemo, DocumentsAreWellFormedAndReadByAGlobeReader) {
  RaceSession s;
  s.race.ProgramFolder = kwtest::DemoDir();
  BuildRaceList(s.race);
  ChooseRaceFile(s.race);
  LoadHooks hooks;
  ASSERT_EQ(LoadRace(s, hooks).status, LoadOutcome::Loaded);
  const RaceData& r = s.race;
  ASSERT_GE(r.BoatCount, 2);
  const double t = 600;
  ComputeBoatState(r, t, r.WindDirection, s.frame);
  int present = 0;
  for (int b = 1; b <= r.BoatCount; ++b) present += s.frame.BoatPresent[b];
  ASSERT_GT(present, 0);

  kwtest::DataFolder dir;
  for (int language : {0, 1}) {
    ASSERT_TRUE(ExportKmlSnapshot(r, s.frame, t, KmlOptions{language, false}, dir.path()).ok);
    ASSERT_TRUE(ExportKmlRace(r, KmlOptions{language, false}, dir.path()).ok);
    ExpectWellFormed(dir.path() + kKmlSnapshotFileName);
    ExpectWellFormed(dir.path() + kKmlRaceFileName);
  }

  if (QStandardPaths::findExecutable(QStringLiteral("ogrinfo")).isEmpty())
    GTEST_SKIP() << "ogrinfo not installed (Debian gdal-bin): globe-reader check skipped";

  // Every folder holding placemarks reads as one layer.
  QString out;
  auto snap = OgrLayers(dir.path() + kKmlSnapshotFileName, out);
  const std::string when = FormatDateTime(r.StartTime + t / 86400);
  EXPECT_EQ(snap, (std::map<QString, int>{{QString::fromStdString(when.substr(11)), 2 * present}}))
      << out.toStdString();

  auto race = OgrLayers(dir.path() + kKmlRaceFileName, out);
  // POINTS holds only folders: an empty layer.
  std::map<QString, int> expected{
      {"Track Lines", r.BoatCount}, {"POINTS", 0}, {"MARK_LINES", r.MarkCount + 3 * r.LineCount}};
  const int step = KmlTimeStep(r.ClockLast);
  for (int k = 0; k <= RoundInt(r.ClockLast / step) + 1; ++k) {
    const double at = k * step;
    int n = 0;
    for (int b = 1; b <= r.BoatCount; ++b)
      for (int i = 1; i <= r.BoatSampleCount[b] - 2; ++i)
        if (r.TrackTime[b][i] <= at && at < r.TrackTime[b][i + 1]) {
          ++n;
          break;
        }
    expected[QString::fromStdString(FormatDateTime(r.StartTime + at / 86400))] = n;
  }
  EXPECT_EQ(race, expected) << out.toStdString();
}
