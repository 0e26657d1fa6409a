// The chart in the window: "Auto Trace" switches to the still map and back, the orientation
// buttons turn the overview and the compass, the wheel moves the trace zoom.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/fakes.h"
#include "app/map_canvas.h"
#include "app/named_child.h"
#include "app/tform1.h"
#include "support/test_support.h"

using namespace kw;

namespace {

struct Demo {
  kwtest::FakeServices fakes;
  QTemporaryDir docs;
  TForm1 form;
  Demo() : form(fakes.services(), kwtest::DemoDir(), docs.path() + "/docs") {}
  template <typename T>
  T* child(const char* name) {
    return kwtest::NamedChild<T>(form, name);
  }
};

bool HasDemo() {
  return QFileInfo::exists(kwtest::DemoDir() + "raceadmin/racefile.st");
}

}  // namespace

TEST(ViewControls, AutoTraceSwitchesToTheStillMapAndBack) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  Demo d;
  d.form.resize(1024, 764);
  d.form.FormCreate();
  ASSERT_TRUE(d.form.raceReady());
  ViewState& v = d.form.session().view;
  EXPECT_EQ(v.TraceMode, 1);
  v.ZoomFactor = 3;
  const int beeps = d.fakes.sound.beeps;
  d.child<QCheckBox>("CheckBox1")->setChecked(false);
  EXPECT_EQ(d.fakes.sound.beeps, beeps + 1);
  EXPECT_EQ(v.TraceMode, 0);
  EXPECT_EQ(v.ZoomFactor, 1);
  EXPECT_DOUBLE_EQ(v.UserCentreLat, (v.RaceLatMax + v.RaceLatMin) / 2);
  EXPECT_DOUBLE_EQ(v.ViewCentreLon, (v.RaceLonMax + v.RaceLonMin) / 2);
  EXPECT_TRUE(d.child<QFrame>("Panel2")->isVisible());
  EXPECT_FALSE(d.form.findChild<QTimer*>("Timer1")->isActive());
  // The still map shows the tracks: its background holds more than the sea.
  const QImage map = d.form.mapBitmap();
  const QRgb sea = map.pixel(map.width() - 2, map.height() / 2);
  int other = 0;
  for (int y = 0; y < map.height(); y += 4)
    for (int x = 0; x < map.width(); x += 4) other += map.pixel(x, y) != sea;
  EXPECT_GT(other, 500);

  d.child<QCheckBox>("CheckBox1")->setChecked(true);
  EXPECT_EQ(v.TraceMode, 1);
  EXPECT_TRUE(d.form.findChild<QTimer*>("Timer1")->isActive());

  // A race loaded while the still map is shown follows its boats, and "Auto Trace" says so.
  d.child<QCheckBox>("CheckBox1")->setChecked(false);
  d.form.LoadRace();
  ASSERT_TRUE(d.form.raceReady());
  EXPECT_EQ(v.TraceMode, 1);
  EXPECT_TRUE(d.child<QCheckBox>("CheckBox1")->isChecked());
  EXPECT_TRUE(d.form.renderState().AutoTrace);
}

TEST(ViewControls, OrientationTurnsTheOverviewAndTheWheelZoomsOut) {
  if (!HasDemo()) GTEST_SKIP() << "no demo races";
  Demo d;
  d.form.resize(1024, 764);
  d.form.FormCreate();
  ASSERT_TRUE(d.form.raceReady());
  RaceData& r = d.form.session().race;
  const QImage windUp = d.form.renderState().Overview;
  const QImage cardWindUp = d.form.renderState().CompassCard;
  ASSERT_EQ(r.NorthUp, 0);
  d.child<QRadioButton>("RadioN")->click();
  EXPECT_EQ(r.NorthUp, 1);
  EXPECT_NE(d.form.renderState().Overview, windUp);
  EXPECT_NE(d.form.renderState().CompassCard, cardWindUp);
  const QImage northUp = d.form.renderState().Overview;
  d.child<QRadioButton>("RadioN")->click();  // already north up: nothing is redrawn
  EXPECT_EQ(d.form.renderState().Overview.cacheKey(), northUp.cacheKey());
  d.child<QRadioButton>("RadioW")->click();
  EXPECT_EQ(r.NorthUp, 0);
  EXPECT_EQ(d.form.renderState().Overview, windUp);

  QScrollBar* zoom = d.child<QScrollBar>("ScrollBar2");
  zoom->setValue(2);
  d.form.mapCanvas().FormMouseWheel(false);
  EXPECT_EQ(zoom->value(), 1);  // never below 1
  d.form.mapCanvas().FormMouseWheel(false);
  EXPECT_EQ(zoom->value(), 1);
  zoom->setValue(99);
  d.form.mapCanvas().FormMouseWheel(true);
  EXPECT_EQ(zoom->value(), 100);
  EXPECT_DOUBLE_EQ(d.form.session().view.TraceZoomOut, 1.0);
  d.child<QCheckBox>("CheckBox1")->setChecked(false);
  d.form.mapCanvas().FormMouseWheel(false);  // the still map ignores the wheel
  EXPECT_EQ(zoom->value(), 100);
}
