// The manoeuvres' switch and the estimated wind in the window, on copies of the demo races: the
// marks' pixels on the still and the moving map, the pointer's tip over a mark in both
// languages, the dashed estimate on the graph page and the command that keeps it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDirIterator>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/control_panel.h"
#include "app/fakes.h"
#include "app/map_canvas.h"
#include "app/named_child.h"
#include "app/replay_controller.h"
#include "app/tform1.h"
#include "race/text.h"
#include "session/insight.h"
#include "support/test_support.h"
#include "view/insight_overlays.h"

using namespace kw;

namespace {

// The demo's races, tracks and wind logs copied, the window opening on `race`.
bool CopyDemo(const kwtest::DataFolder& dir, const char* race) {
  for (const char* sub : {"raceadmin", "gpsdat", "winddat"}) {
    QDirIterator it(kwtest::DemoDir() + sub, QDir::Files);
    while (it.hasNext()) {
      const QString path = it.next();
      std::string bytes;
      if (!ReadWholeFile(path, bytes)) return false;
      dir.Write(QStringLiteral("%1/%2").arg(sub, QFileInfo(path).fileName()), bytes);
    }
  }
  dir.Write("raceadmin/racefile.st", std::string(race) + ".txt\r\n");
  return true;
}

struct Window {
  kwtest::FakeServices fakes;
  QTemporaryDir docs;
  TForm1 form;
  explicit Window(const QString& folder) : form(fakes.services(), folder, docs.path() + "/docs") {
    fakes.clock.step = 100;
    form.resize(1280, 800);
    form.FormCreate();
    fakes.clock.now = form.windowState().SplashStart + 4500;
    form.replay().Timer2Timer();
  }
  template <typename T>
  T* child(const char* name) {
    return kwtest::NamedChild<T>(form, name);
  }
  void Move(QPoint at) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(form.mapToGlobal(at)), Qt::NoButton,
                  Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &e);
  }
  RaceSession& session() { return form.session(); }
};

bool HasDemo() {
  return QFileInfo::exists(kwtest::DemoDir() + "raceadmin/racefile.st");
}

// The map pixel at a mark's middle (a pixel inside every symbol) has the boat's colour.
int MarksInBoatColour(const QImage& map, const RaceData& race,
                      const std::vector<ManoeuvreMark>& marks) {
  int n = 0;
  for (const ManoeuvreMark& m : marks) {
    const Rgb c = race.BoatColor[m.boat];
    n += map.pixel(m.at + QPoint(0, 1)) == qRgb(c.r, c.g, c.b);
  }
  return n;
}

}  // namespace

TEST(Insight, SwitchMarksManoeuvresOnBothMapsAndTheirTipsTellTheCost) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  kwtest::DataFolder dir;
  ASSERT_TRUE(CopyDemo(dir, "enoshima-r1"));
  Window w(dir.path());
  ASSERT_TRUE(w.form.raceReady());
  QCheckBox* box = w.child<QCheckBox>("chkManoeuvres");
  EXPECT_EQ(box->parentWidget(), w.child<QWidget>("pnlCTRL"));
  EXPECT_EQ(w.form.renderState().Manoeuvres, nullptr);

  // The still map: every ticked boat's marks.
  w.child<QCheckBox>("CheckBox1")->setChecked(false);
  ASSERT_EQ(w.session().view.TraceMode, 0);
  QTest::mouseClick(box, Qt::LeftButton);
  ASSERT_NE(w.form.renderState().Manoeuvres, nullptr);
  const RaceSession& s = w.session();
  std::vector<ManoeuvreMark> marks =
      ManoeuvreMarks(s.race, s.view, *w.form.renderState().Manoeuvres, s.play.RaceClock);
  ASSERT_GT(marks.size(), 100u);
  // (Some lie under later marks or under a hull.)
  EXPECT_GT(MarksInBoatColour(w.form.mapBitmap(), s.race, marks), 0.6 * marks.size());

  // The pointer on a mark: its boat, kind, time and loss; in Japanese after the flag.
  // One standing apart, so that the pointer is over it alone.
  size_t apart = 0;
  for (size_t k = 0; k < marks.size(); ++k) {
    bool alone = true;
    for (const ManoeuvreMark& o : marks)
      alone = alone && (&o == &marks[k] || (o.at - marks[k].at).manhattanLength() > 16);
    if (alone) apart = k;
  }
  const ManoeuvreMark& m = marks[apart];
  const Manoeuvre& x = (*w.form.renderState().Manoeuvres)[m.boat].list[m.index];
  w.Move(m.at);
  QLabel* hint = w.child<QLabel>("hintbox");
  ASSERT_TRUE(hint->isVisible());
  EXPECT_TRUE(hint->text().startsWith(DisplayText(s.race.BoatName[m.boat]) + "\n"))
      << hint->text().toStdString();
  EXPECT_TRUE(hint->text().contains(ManoeuvreKindText(x.kind, 2)));
  EXPECT_TRUE(hint->text().contains(" m (")) << hint->text().toStdString();
  w.form.controlPanel().jpnClick();
  w.Move(m.at);
  EXPECT_TRUE(hint->text().contains(QStringLiteral("損失"))) << hint->text().toStdString();
  EXPECT_EQ(box->text(), QStringLiteral("マニューバ"));

  // The moving map: only what was done by the clock.
  w.child<QCheckBox>("CheckBox1")->setChecked(true);
  w.session().play.RaceClock = 1500;
  w.form.replay().Timer1Timer();
  const double clock = w.session().play.RaceClock;
  marks = ManoeuvreMarks(s.race, s.view, *w.form.renderState().Manoeuvres, clock);
  ASSERT_FALSE(marks.empty());
  for (const ManoeuvreMark& k : marks)
    EXPECT_LE((*w.form.renderState().Manoeuvres)[k.boat].list[k.index].t, clock);
  EXPECT_GT(MarksInBoatColour(w.form.mapBitmap(), s.race, marks), 0.5 * marks.size());

  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(w.form.renderState().Manoeuvres, nullptr);
}

// The coastal race has no wind file: the graph page draws the estimate dashed and offers to keep
// it; kept, the race has a wind file, drawn as the design draws one, and the offer goes.
TEST(Insight, GraphPageShowsTheEstimatedWindAndKeepsIt) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  kwtest::DataFolder dir;
  ASSERT_TRUE(CopyDemo(dir, "enoshima-coastal"));
  Window w(dir.path());
  ASSERT_TRUE(w.form.raceReady());
  w.form.show();
  QTest::mouseClick(w.child<QWidget>("RadioButton2"), Qt::LeftButton);
  QPushButton* keep = w.child<QPushButton>("btnKeepWind");
  ASSERT_TRUE(keep->isVisible());
  const RaceInsight& in = InsightOf(w.session());
  ASSERT_TRUE(in.estimate.enough);
  // The dashed trace's colour where the estimate lies.
  const GraphGeometry g = w.form.mapCanvas().graphGeometry;
  const QImage& graph = w.form.graphBitmap();
  const RaceData& r = w.session().race;
  int onTrace = 0, points = 0;
  for (const WindEstimatePoint& p : in.estimate.series) {
    const int x = g.DirectionX(p.direction - r.WindwardBearing + 90.0), y = g.TimeY(p.t);
    ++points;
    bool near = false;
    for (int dx = -2; dx <= 2; ++dx)
      for (int dy = -2; dy <= 2; ++dy)
        near = near || graph.pixel(x + dx, y + dy) == qRgb(200, 0, 0);
    onTrace += near;
  }
  EXPECT_GT(onTrace, points / 2);
  const int values = points;  // the insight is made again once the wind is kept

  QTest::mouseClick(keep, Qt::LeftButton);
  EXPECT_EQ(r.WindFileName, "enoshima-coastal_wind.csv");
  EXPECT_EQ(r.WindCount, values);
  EXPECT_TRUE(QFileInfo::exists(dir.path() + "winddat/enoshima-coastal_wind.csv"));
  EXPECT_NE(dir.Read("raceadmin/enoshima-coastal.txt").find("WF,enoshima-coastal_wind.csv"),
            std::string::npos);
  EXPECT_FALSE(keep->isVisible());
  EXPECT_EQ(w.form.renderState().Manoeuvres, nullptr);
  EXPECT_TRUE(w.fakes.dialogs.messages.isEmpty());

  // Another page puts the offer away, and a race with a wind file never shows it.
  QTest::mouseClick(w.child<QWidget>("RadioButton1"), Qt::LeftButton);
  EXPECT_FALSE(keep->isVisible());
}

// A wind file of the name exists already: the window asks, and a "No" writes nothing.
TEST(Insight, KeepingAskBeforeReplacingAWindFile) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  kwtest::DataFolder dir;
  ASSERT_TRUE(CopyDemo(dir, "enoshima-coastal"));
  dir.Write("winddat/enoshima-coastal_wind.csv", "DATE TIME, TWS,TWD\n2025/10/13 13:00:00,0,190\n");
  Window w(dir.path());
  ASSERT_TRUE(w.form.raceReady());
  w.form.show();
  QTest::mouseClick(w.child<QWidget>("RadioButton2"), Qt::LeftButton);
  w.fakes.dialogs.answer = false;
  QTest::mouseClick(w.child<QPushButton>("btnKeepWind"), Qt::LeftButton);
  ASSERT_EQ(w.fakes.dialogs.messages.size(), 1);
  EXPECT_TRUE(w.fakes.dialogs.messages[0].contains("enoshima-coastal_wind.csv exists"));
  EXPECT_EQ(dir.Read("winddat/enoshima-coastal_wind.csv"),
            "DATE TIME, TWS,TWD\n2025/10/13 13:00:00,0,190\n");
  EXPECT_TRUE(w.session().race.WindFileName.empty());
  w.fakes.dialogs.answer = true;
  QTest::mouseClick(w.child<QPushButton>("btnKeepWind"), Qt::LeftButton);
  EXPECT_EQ(dir.Read("winddat/enoshima-coastal_wind.csv.bak"),
            "DATE TIME, TWS,TWD\n2025/10/13 13:00:00,0,190\n");
  EXPECT_EQ(w.session().race.WindFileName, "enoshima-coastal_wind.csv");
}
