// The map's mouse tools, the focus lists and course editing in the window, offscreen with fake
// services and real mouse events: zoom, re-centring, range and bearing, focus clicks, an edit
// session saved into the race file, saves that fail, and leaving the program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cmath>

#include "app/fakes.h"
#include "app/named_child.h"
#include "app/replay_controller.h"
#include "app/tform1.h"
#include "race/numbers.h"
#include "support/test_support.h"
#include "view/geometry.h"
#include "view/map_pointer.h"

using namespace kw;

namespace {

const std::string kHeader =
    "T1,Hands on\nNOTE,kept as it is\nST,2007/05/12 10:00:00\nFT,2007/05/12 10:30:00\nTD,9\n";

// Three boats in two classes, north up, a magnetic variation of 5 degrees.
void WriteRace(const kwtest::DataFolder& dir, const std::string& extra = "NU,1\nMG,5\n",
               bool editMode = false) {
  dir.Write("gpsdat/a.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0));
  dir.Write("gpsdat/b.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0, 2, 35.301));
  dir.Write("gpsdat/c.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0, 2, 35.302, 139.479));
  dir.Write("raceadmin/race.txt", kHeader + extra +
                                      "CLSSEP,\nCLSN,Alpha\nBN,a.gpx,Alpha One\nBN,b.gpx,Alpha "
                                      "Two\nCLSN,Bravo\nBN,c.gpx,Bravo One\nRL,2118,8369,2118.1,"
                                      "8369.1\n");
  if (editMode) dir.Write("ctrl/editfile.edt", "race.txt\r\n");
}

struct Hands {
  kwtest::FakeServices fakes;
  QTemporaryDir docs;
  TForm1 form;
  explicit Hands(const QString& folder) : form(fakes.services(), folder, docs.path() + "/docs") {
    fakes.clock.step = 100;
  }
  template <typename T>
  T* child(const char* name) {
    return kwtest::NamedChild<T>(form, name);
  }
  RaceData& race() { return form.session().race; }
  ViewState& view() { return form.session().view; }
  const HandsOnState& ho() { return form.handsOn(); }
  // Loaded and past the splash hold (edit mode leaves on the still map); else the still map.
  void Open() {
    form.FormCreate();
    ASSERT_TRUE(form.raceReady());
    fakes.clock.now = form.windowState().SplashStart + 4500;
    form.replay().Timer2Timer();
    if (view().TraceMode != 0) child<QCheckBox>("CheckBox1")->setChecked(false);
    ASSERT_EQ(view().TraceMode, 0);
  }
  // A pointer movement over `w` (the form when null), with the keys held.
  void Move(QPoint at, Qt::KeyboardModifiers keys = Qt::NoModifier, QWidget* w = nullptr) {
    QWidget* target = w ? w : &form;
    QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::NoButton,
                  Qt::NoButton, keys);
    QApplication::sendEvent(target, &e);
  }
  void Click(QPoint at, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
    QTest::mouseClick(&form, b, keys, at);
  }
  // Shift held: the pointer comes to `at`, then clicks there.
  void ShiftClick(QPoint at, Qt::MouseButton b = Qt::LeftButton) {
    Move(at, Qt::ShiftModifier);
    Click(at, b, Qt::ShiftModifier);
  }
  QPoint OnScreen(double lat, double lon) {
    const Point2 p = ToScreen(race(), view(), lat, lon);
    return {RoundInt(p.x), RoundInt(p.y)};
  }
};

}  // namespace

TEST(MapMouse, ClickZoomCentresTheStillMapOnTheClick) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Hands w(dir.path());
  w.Open();
  ViewState& v = w.view();
  ASSERT_GT(v.MapWidth, 300);
  const QPoint at(v.MapWidth / 3, v.MapHeight / 3);
  const LatLon clicked = StillMapPosition(w.race(), v, at.x(), at.y());
  w.Click(at);
  EXPECT_DOUBLE_EQ(v.ZoomFactor, 1.5);
  const Point2 now = ToScreen(w.race(), v, clicked.lat, clicked.lon);
  EXPECT_NEAR(now.x, v.MapWidth / 2.0, 1e-6);
  EXPECT_NEAR(now.y, v.MapHeight / 2.0, 1e-6);
  w.Click(at);
  EXPECT_DOUBLE_EQ(v.ZoomFactor, 2.25);
  w.Click(at, Qt::RightButton);
  EXPECT_DOUBLE_EQ(v.ZoomFactor, 1.5);
  // A click on a panel over the map is the panel's, not the map's.
  QWidget* flags = w.child<QFrame>("pnlFLAG");
  ASSERT_TRUE(flags->isVisible());
  ASSERT_LT(flags->x(), v.MapWidth);
  w.Click(flags->geometry().center());
  EXPECT_DOUBLE_EQ(v.ZoomFactor, 1.5);
  // The moving map takes no click zoom.
  w.child<QCheckBox>("CheckBox1")->setChecked(true);
  w.Click(at);
  EXPECT_DOUBLE_EQ(v.ZoomFactor, 1.5);
}

TEST(MapMouse, OverviewPressRecentresTheStillMap) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Hands w(dir.path());
  w.Open();
  ViewState& v = w.view();
  w.Click({v.MapWidth / 2 + 40, v.MapHeight / 2});  // zoomed in first
  QLabel* overview = w.child<QLabel>("Image1");
  QTest::mouseClick(overview, Qt::LeftButton, {}, QPoint(100, 60));
  // North up: 15 pixels right and 25 up of the overview's centre.
  EXPECT_DOUBLE_EQ(v.UserCentreLat, v.RaceCentreLat + 25 / v.OverviewScaleLat);
  EXPECT_DOUBLE_EQ(v.UserCentreLon, v.RaceCentreLon + 15 / v.OverviewScaleLon);
  EXPECT_DOUBLE_EQ(v.ZoomFactor, 1.5);
  EXPECT_DOUBLE_EQ(v.ViewCentreLat, v.UserCentreLat);  // the still map was drawn there
}

TEST(MapMouse, RangeAndBearingWithShift) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Hands w(dir.path());
  w.Open();
  const ViewState& v = w.view();
  QLabel* memo6 = w.child<QLabel>("Memo6");
  const QPoint base(v.MapWidth / 2, v.MapHeight / 2 + 50);
  w.Move(base, Qt::ShiftModifier);
  EXPECT_TRUE(memo6->isVisible());
  EXPECT_EQ(memo6->text(), "Click to set base point");
  w.Click(base, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_DOUBLE_EQ(v.ZoomFactor, 1);  // Shift sets the base point, it does not zoom

  // 100 pixels straight up: 100 / ScaleLat minutes of latitude, 1852 m each; north is 355
  // degrees magnetic with a variation of 5 east.
  const int metres = RoundInt(100 / v.ScaleLat * 1852);
  w.Move(base - QPoint(0, 100), Qt::ShiftModifier);
  EXPECT_EQ(memo6->text(), QStringLiteral("RNG= %1m / BRG= 355deg(M)").arg(metres));
  EXPECT_EQ(memo6->geometry(), QRect(base.x() + 10, base.y() - 120, 200, 17));
  EXPECT_EQ(w.form.canvas().pixelColor(base.x(), base.y() - 50), QColor(Qt::red));
  // The same distance east, and the base point itself.
  w.Move(base + QPoint(100, 0), Qt::ShiftModifier);
  EXPECT_EQ(memo6->text(), QStringLiteral("RNG= %1m / BRG= 85deg(M)").arg(metres));
  w.Move(base, Qt::ShiftModifier);
  EXPECT_EQ(memo6->text(), "RNG= 0m / BRG= 355deg(M)");

  // Releasing any key forgets the base point; without Shift the label goes.
  QTest::keyRelease(w.form.windowHandle(), Qt::Key_A);
  w.Move(base, Qt::ShiftModifier);
  EXPECT_EQ(memo6->text(), "Click to set base point");
  w.Move(base);
  EXPECT_FALSE(memo6->isVisible());
  EXPECT_EQ(w.ho().ShiftHeld, 0);
  QTest::keyPress(w.form.windowHandle(), Qt::Key_Shift);
  EXPECT_EQ(w.ho().ShiftHeld, 1);
}

TEST(MapMouse, PointerZonesCaptionAndTips) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Hands w(dir.path());
  w.Open();
  const ViewState& v = w.view();
  const RenderState& rs = w.form.renderState();
  QLabel* hint = w.child<QLabel>("hintbox");
  w.Move({v.MapWidth / 8, v.MapHeight / 2});
  EXPECT_EQ(rs.LabelLevel, 3);
  EXPECT_TRUE(rs.ShowAllHulls);
  EXPECT_TRUE(rs.ShowWindArrow);
  EXPECT_FALSE(rs.SpeedWakes);
  const QString title = w.form.windowTitle();
  EXPECT_TRUE(title.startsWith("Hands on       N35:")) << title.toStdString();
  EXPECT_TRUE(title.contains("    E139:")) << title.toStdString();
  EXPECT_TRUE(title.endsWith("      kept as it is")) << title.toStdString();
  ASSERT_TRUE(hint->isVisible());
  EXPECT_TRUE(hint->text().startsWith("Left Button => Enlarge Map.")) << hint->text().toStdString();
  // The tip's own size, grown where the font needs more room.
  EXPECT_GE(hint->width(), 290);
  EXPECT_GE(hint->height(), 100);
  w.Move({v.MapWidth - 10, v.MapHeight / 2});
  EXPECT_EQ(rs.LabelLevel, 1);  // "Show Name" is ticked
  EXPECT_FALSE(rs.ShowAllHulls);

  // The moving map: the bottom strip shows faster boats' wakes, and says so.
  w.child<QCheckBox>("CheckBox1")->setChecked(true);
  w.Move({v.MapWidth / 2, v.MapHeight - 50});
  EXPECT_TRUE(rs.SpeedWakes);
  ASSERT_TRUE(hint->isVisible());
  EXPECT_EQ(hint->text(), "Red wake boats are faster than avg boats");
  EXPECT_EQ(hint->geometry(), QRect(v.MapWidth - 275, 5, 270, 20));
  w.Move({v.MapWidth / 2, v.MapHeight / 2});
  EXPECT_FALSE(hint->isVisible());
  EXPECT_FALSE(rs.SpeedWakes);
}

TEST(FocusLists, ClicksOnBoatsClassesAndTheHeading) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Hands w(dir.path());
  w.Open();
  RaceData& r = w.race();
  const RenderState& rs = w.form.renderState();
  auto box = [&](const char* name) { return w.child<QCheckBox>(name); };
  auto shown = [&] { return std::vector<int>{r.BoatShown[1], r.BoatShown[2], r.BoatShown[3]}; };

  QTest::mouseClick(box("BoatCheckBox2"), Qt::LeftButton);
  EXPECT_EQ(shown(), (std::vector<int>{1, 0, 1}));
  EXPECT_FALSE(box("BoatCheckBox2")->isChecked());
  EXPECT_EQ(r.HiddenBoatCount, 1);

  // Right click: that boat alone, every class box unchecked.
  QTest::mouseClick(box("BoatCheckBox3"), Qt::RightButton);
  EXPECT_EQ(shown(), (std::vector<int>{0, 0, 1}));
  EXPECT_FALSE(box("ClassCheckBox1")->isChecked());
  EXPECT_FALSE(box("ClassCheckBox2")->isChecked());
  EXPECT_EQ(r.HiddenBoatCount, 2);
  EXPECT_DOUBLE_EQ(w.view().ZoomFactor, 1);  // the click did not reach the map

  // Shift-click marks a boat for good and leaves its focus alone; again unmarks it.
  QTest::mouseClick(box("BoatCheckBox1"), Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(rs.MarkedBoat, 1);
  EXPECT_FALSE(box("BoatCheckBox1")->isChecked());
  EXPECT_EQ(shown(), (std::vector<int>{0, 0, 1}));
  QTest::mouseClick(box("BoatCheckBox1"), Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(rs.MarkedBoat, 0);
  QTest::mouseClick(box("BoatCheckBox3"), Qt::LeftButton, Qt::ShiftModifier);

  // The heading focuses every boat again.
  QTest::mouseClick(w.child<QLabel>("Label1"), Qt::LeftButton);
  EXPECT_EQ(shown(), (std::vector<int>{1, 1, 1}));
  EXPECT_TRUE(box("ClassCheckBox2")->isChecked());
  EXPECT_EQ(r.HiddenBoatCount, 0);

  // Right click on a class: that class alone; the marked boat keeps its check mark.
  const int beeps = w.fakes.sound.beeps;
  QTest::mouseClick(box("ClassCheckBox1"), Qt::RightButton);
  EXPECT_EQ(w.fakes.sound.beeps, beeps + 1);
  EXPECT_EQ(shown(), (std::vector<int>{1, 1, 0}));
  EXPECT_TRUE(box("BoatCheckBox3")->isChecked());
  EXPECT_FALSE(box("ClassCheckBox2")->isChecked());
  EXPECT_EQ(r.HiddenBoatCount, 1);
  // A left click on a class toggles it and its boats.
  QTest::mouseClick(box("ClassCheckBox1"), Qt::LeftButton);
  EXPECT_EQ(shown(), (std::vector<int>{0, 0, 0}));
  EXPECT_FALSE(box("BoatCheckBox1")->isChecked());
}

TEST(FocusLists, HoverPicksTheBoatOutOnTheStillMap) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Hands w(dir.path());
  w.Open();
  const RenderState& rs = w.form.renderState();
  const QImage before = w.form.mapBitmap();
  QCheckBox* box = w.child<QCheckBox>("BoatCheckBox2");
  w.Move({20, 5}, Qt::NoModifier, box);
  EXPECT_EQ(rs.HoverBoat, 2);
  EXPECT_NE(w.form.mapBitmap(), before);  // the track drawn white and in its colour
  QLabel* hint = w.child<QLabel>("hintbox");
  ASSERT_TRUE(hint->isVisible());
  EXPECT_TRUE(hint->text().endsWith("R-Click to focus only Alpha Two"))
      << hint->text().toStdString();
  // Off the entries onto the list panel: the map is as it was.
  QWidget* list = w.child<QFrame>("pnlBOATlist");
  w.Move({list->width() - 2, list->height() - 2}, Qt::NoModifier, list);
  EXPECT_EQ(rs.HoverBoat, 0);
  EXPECT_EQ(w.form.mapBitmap(), before);
  EXPECT_FALSE(hint->isVisible());
  // Straight from an entry onto the map: nothing stays picked out either.
  w.Move({20, 5}, Qt::NoModifier, box);
  w.Move({w.view().MapWidth / 2, w.view().MapHeight / 2});
  EXPECT_EQ(rs.HoverBoat, 0);
  // The heading explains itself.
  w.Move({5, 5}, Qt::NoModifier, w.child<QLabel>("Label1"));
  EXPECT_EQ(hint->text(), "Left Button => Focus All Boats.");
  EXPECT_EQ(hint->pos(), QPoint(list->x() - 225, list->y() + w.child<QLabel>("Label1")->y()));
}

// An edit session with the mouse: two marks and a line placed, a course strung, the wind set
// and saved; the race file read back byte for byte.
TEST(CourseEditing, AnEditSessionSavedIntoTheRaceFile) {
  kwtest::DataFolder dir;
  WriteRace(dir, "WD,208\nMG,-7.5\n", /*editMode=*/true);
  const std::string original = dir.Read("raceadmin/race.txt");
  Hands w(dir.path());
  w.Open();
  RaceData& r = w.race();
  ASSERT_EQ(r.EditMode, 1);
  ASSERT_TRUE(w.child<QFrame>("pnlEDIT1")->isVisible());
  EXPECT_EQ(w.child<QLineEdit>("Edit4")->text(), "208");
  const ViewState& v = w.view();
  const QPoint m1(v.MapWidth / 3, v.MapHeight / 3), m2(v.MapWidth / 2, v.MapHeight * 2 / 3);
  const QPoint a(v.MapWidth / 4, v.MapHeight / 2), b(v.MapWidth / 4 + 60, v.MapHeight / 2 + 8);

  QTest::mouseClick(w.child<QRadioButton>("optMK"), Qt::LeftButton);
  EXPECT_EQ(w.ho().EditStep, 1);
  w.Click(m1);  // without Shift a click zooms, as ever
  EXPECT_DOUBLE_EQ(w.view().ZoomFactor, 1.5);
  w.Click(m1, Qt::RightButton);
  w.ShiftClick(m1);
  w.ShiftClick(m2);
  ASSERT_EQ(r.MarkCount, 2);
  EXPECT_EQ(w.OnScreen(r.MarkLat[1], r.MarkLon[1]), m1);
  EXPECT_EQ(w.OnScreen(r.MarkLat[2], r.MarkLon[2]), m2);

  QTest::mouseClick(w.child<QRadioButton>("optLINE"), Qt::LeftButton);
  w.ShiftClick(a);
  EXPECT_EQ(w.ho().EditStep, 3);
  w.ShiftClick(b);
  EXPECT_EQ(w.ho().EditStep, 2);  // the next click starts another line
  ASSERT_EQ(r.LineCount, 1);
  EXPECT_EQ(w.OnScreen(r.LineLatB[1], r.LineLonB[1]), b);
  EXPECT_EQ(w.child<QLineEdit>("Edit1")->text(), "MK1  MK2  ");
  EXPECT_EQ(w.child<QLineEdit>("Edit2")->text(), "line1  ");

  // The course: near a line end or a mark, its label shows and a click appends it.
  QTest::mouseClick(w.child<QRadioButton>("RadioButton9"), Qt::LeftButton);
  QLabel* memo6 = w.child<QLabel>("Memo6");
  for (QPoint p : {a + QPoint(4, 3), m1 + QPoint(-2, 0), m2 + QPoint(0, 5), b + QPoint(1, 1)}) {
    w.Move(p, Qt::ShiftModifier);
    EXPECT_TRUE(memo6->isVisible());
    w.Click(p, Qt::LeftButton, Qt::ShiftModifier);
  }
  EXPECT_EQ(memo6->text(), "L1");
  ASSERT_EQ(r.CourseCount, 4);
  EXPECT_EQ(w.child<QLineEdit>("Edit3")->text(), "L1  MK1  MK2  L1  ");
  // 50 pixels from anything: no label, and a click appends nothing.
  w.ShiftClick(m1 + QPoint(0, 50));
  EXPECT_EQ(r.CourseCount, 5);  // still nearest to MK1 within 100 pixels
  w.ShiftClick({v.MapWidth - 2, 2});
  EXPECT_EQ(r.CourseCount, 5);
  QTest::mouseClick(w.child<QPushButton>("Button7"), Qt::LeftButton);  // Reset Course
  EXPECT_EQ(r.CourseCount, 0);
  for (QPoint p : {a, m1, m2, b}) w.ShiftClick(p);
  EXPECT_EQ(w.child<QLineEdit>("Edit3")->text(), "L1  MK1  MK2  L1  ");
  EXPECT_EQ(dir.Read("raceadmin/race.txt"), original);  // nothing written yet

  // The wind: typed, then "Wind Direction OK" turns the map and saves the race file.
  QLineEdit* edit4 = w.child<QLineEdit>("Edit4");
  edit4->setText("215");
  QTest::mouseClick(w.child<QPushButton>("Button8"), Qt::LeftButton);
  EXPECT_EQ(r.WindDirection, 215);
  EXPECT_EQ(r.WindwardBearing, 208);  // round(207.5), half to even
  auto real = [](double x) { return ShortestReal(x); };
  const std::string expected =
      kHeader +
      "MG,-7.5\nCLSSEP,\nCLSN,Alpha\nBN,a.gpx,Alpha One\nBN,b.gpx,Alpha Two\nCLSN,Bravo\n"
      "BN,c.gpx,Bravo One\nRL,2118,8369,2118.1,8369.1\nWD, 215\nMK," +
      real(r.MarkLat[1]) + "," + real(r.MarkLon[1]) + "\nMK," + real(r.MarkLat[2]) + "," +
      real(r.MarkLon[2]) + "\nLN," + real(r.LineLatA[1]) + "," + real(r.LineLonA[1]) + "," +
      real(r.LineLatB[1]) + "," + real(r.LineLonB[1]) + "\nCRS,L1,MK1,MK2,L1\n";
  EXPECT_EQ(dir.Read("raceadmin/race.txt"), expected);
  EXPECT_EQ(dir.Read("raceadmin/race.txt.bak"), original);
  EXPECT_TRUE(w.fakes.dialogs.messages.isEmpty())
      << w.fakes.dialogs.messages.join("|").toStdString();

  // Loaded again, the race has the course placed, on a still map of its own.
  const double lat1 = r.MarkLat[1];
  w.Click(m1);
  w.form.LoadRace();
  ASSERT_TRUE(w.form.raceReady());
  w.fakes.clock.now = w.form.windowState().SplashStart + 4500;
  w.form.replay().Timer2Timer();  // past the cover, course editing goes back to the still map
  EXPECT_EQ(v.TraceMode, 0);
  EXPECT_TRUE(w.child<QFrame>("pnlEDIT1")->isVisible());
  EXPECT_DOUBLE_EQ(v.ZoomFactor, 1);
  EXPECT_DOUBLE_EQ(v.ViewCentreLat, (v.RaceLatMax + v.RaceLatMin) / 2);
  EXPECT_EQ(r.MarkCount, 2);
  EXPECT_DOUBLE_EQ(r.MarkLat[1], lat1);
  EXPECT_EQ(r.CourseCount, 4);
  EXPECT_EQ(w.child<QLineEdit>("Edit3")->text(), "L1  MK1  MK2  L1  ");
}

TEST(CourseEditing, DeletingRenumbersAndTheWindTextIsChecked) {
  kwtest::DataFolder dir;
  // Marks among the tracks, which start at 2118.0, 8368.8 and run north-east.
  WriteRace(dir, "MK,2118.05,8368.8\nMK,2118.1,8368.83\nMK,2118.15,8368.86\n", true);
  Hands w(dir.path());
  w.Open();
  RaceData& r = w.race();
  ASSERT_EQ(r.MarkCount, 3);
  QTest::mouseClick(w.child<QRadioButton>("optMK"), Qt::LeftButton);
  const QPoint second = w.OnScreen(r.MarkLat[2], r.MarkLon[2]);
  const double lat3 = r.MarkLat[3];
  w.ShiftClick(second + QPoint(3, 0), Qt::RightButton);
  ASSERT_EQ(r.MarkCount, 2);
  EXPECT_DOUBLE_EQ(r.MarkLat[2], lat3);
  // A second right click before the pointer moves deletes nothing more.
  w.Click(second + QPoint(3, 0), Qt::RightButton, Qt::ShiftModifier);
  EXPECT_EQ(r.MarkCount, 2);
  EXPECT_EQ(w.child<QLineEdit>("Edit1")->text(), "MK1  MK2  ");

  // Typing moves the up-down within 0..360; OK reads the text and turns it into a bearing.
  QLineEdit* edit4 = w.child<QLineEdit>("Edit4");
  QWidget* upDown = w.form.findChild<QWidget*>("UpDown1");
  edit4->setText("370");
  QTest::mouseClick(upDown->findChild<QWidget*>("down"), Qt::LeftButton);
  EXPECT_EQ(edit4->text(), "359");
  edit4->setText("370");
  QTest::mouseClick(w.child<QPushButton>("Button8"), Qt::LeftButton);
  EXPECT_EQ(r.WindDirection, 10);
  edit4->setText("north");
  QTest::mouseClick(w.child<QPushButton>("Button8"), Qt::LeftButton);
  ASSERT_FALSE(w.fakes.dialogs.messages.isEmpty());
  EXPECT_EQ(w.fakes.dialogs.messages.last(), "'north' is not a valid integer value");
  EXPECT_EQ(r.WindDirection, 10);
}

TEST(CourseEditing, WindDrawnOnTheGraphPageIsSaved) {
  kwtest::DataFolder dir;
  WriteRace(dir, "WD,200\n", true);
  dir.Write("winddat/race_wind.csv", "DATE TIME, TWS,TWD\nfrom an earlier drawing\n");
  Hands w(dir.path());
  w.Open();
  RaceData& r = w.race();
  QPushButton* save = w.child<QPushButton>("Button9");
  QTest::mouseClick(save, Qt::LeftButton);  // disabled: nothing
  save->setEnabled(true);
  QTest::mouseClick(save, Qt::LeftButton);
  EXPECT_EQ(w.fakes.dialogs.messages, QStringList{"No Wind Data"});

  w.child<QRadioButton>("RadioButton2")->setChecked(true);
  w.form.windowState().Page = 2;
  EXPECT_TRUE(w.child<QFrame>("pnlEDIT2")->isVisible());
  EXPECT_FALSE(w.child<QFrame>("pnlEDIT1")->isVisible());
  w.child<QCheckBox>("CheckBox5")->setChecked(true);
  EXPECT_EQ(w.ho().EditStep, 5);
  EXPECT_EQ(r.WindCount, 0);
  const WindInputArea area = WindInputAreaFor(w.view().MapWidth, w.form.height());
  const int bottom = area.top + area.height;
  const QPoint first(area.left + area.width / 2, bottom);  // the start of the playback window
  const QPoint second(area.left + area.width / 4, area.top + area.height / 2);
  w.Click(first);
  w.Click(second);
  w.Click({area.left + area.width + 5, area.top + 10});  // outside: nothing
  ASSERT_EQ(r.WindCount, 2);
  EXPECT_DOUBLE_EQ(r.WindTime[1], r.ClockFirst);
  // The area's width is a full turn from the windward bearing - 90 at its left edge.
  EXPECT_EQ(r.WindDir[1], RoundInt(360.0 * (area.width / 2) / area.width) + 200 - 90);
  EXPECT_EQ(r.WindDir[2], RoundInt(360.0 * (area.width / 4) / area.width) + 200 - 90);
  // Half way up the area: half the playback window.
  const double up = static_cast<double>(area.height - area.height / 2) / area.height;
  EXPECT_DOUBLE_EQ(r.WindTime[2], RoundHalfEven(r.ClockSpan * up + r.ClockFirst));
  const QPoint middle = (first + second) / 2;
  EXPECT_EQ(w.form.graphBitmap().pixelColor(middle), QColor(Qt::red));
  EXPECT_TRUE(save->isEnabled());

  QTest::mouseClick(save, Qt::LeftButton);
  EXPECT_EQ(w.ho().EditStep, 0);
  EXPECT_FALSE(w.child<QCheckBox>("CheckBox5")->isChecked());
  const std::string wind = dir.Read("winddat/race_wind.csv");
  EXPECT_EQ(wind.substr(0, wind.find('\n')), "DATE TIME, TWS,TWD");
  EXPECT_NE(wind.find("2007/05/12 09:56:50,0,290"), std::string::npos) << wind;
  EXPECT_EQ(dir.Read("winddat/race_wind.csv.bak"), "DATE TIME, TWS,TWD\nfrom an earlier drawing\n");
  const std::string file = dir.Read("raceadmin/race.txt");
  EXPECT_NE(file.find("\nWF,race_wind.csv\nWD, 200\n"), std::string::npos) << file;
}

TEST(CourseEditing, LinesBeyondTheTablesSurviveAWindowSave) {
  kwtest::DataFolder dir;
  std::string course;
  for (int i = 1; i <= 22; ++i) course += "MK,2118." + std::to_string(i) + "5,8369.25\n";
  course += "CRS";
  for (int i = 1; i <= 22; ++i) course += ",MK" + std::to_string(i);
  course += "\n";
  WriteRace(dir, course, true);
  Hands w(dir.path());
  w.Open();
  ASSERT_EQ(w.fakes.dialogs.messages.size(), 1);
  EXPECT_TRUE(w.fakes.dialogs.messages[0].contains("marks beyond 20: line 26, line 27"));
  EXPECT_TRUE(w.fakes.dialogs.messages[0].contains("course entries beyond 20: MK21, MK22"));
  QTest::mouseClick(w.child<QRadioButton>("optMK"), Qt::LeftButton);
  w.ShiftClick({30, 30});  // the table is full: refused, and said
  EXPECT_EQ(w.fakes.dialogs.messages.last(),
            "The course holds at most 20 marks: this one was not placed.");
  w.child<QLineEdit>("Edit4")->setText("100");
  QTest::mouseClick(w.child<QPushButton>("Button8"), Qt::LeftButton);
  const std::string file = dir.Read("raceadmin/race.txt");
  EXPECT_NE(file.find("WD, 100\n" + course), std::string::npos) << file;
}

TEST(CourseEditing, AFailedSaveSaysSoAndKeepsTheEdits) {
  kwtest::DataFolder dir;
  WriteRace(dir, "", true);
  Hands w(dir.path());
  w.Open();
  RaceData& r = w.race();
  QTest::mouseClick(w.child<QPushButton>("Button8"), Qt::LeftButton);  // saved once: backup made
  ASSERT_TRUE(w.fakes.dialogs.messages.isEmpty());
  const std::string saved = dir.Read("raceadmin/race.txt");

  // The race folder becomes read-only (for root too, where the file system allows it).
  const QString folder = dir.path() + "raceadmin";
  QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  struct Restore {
    QString folder;
    ~Restore() {
      QProcess::execute("chattr", {"-i", folder});
      QFile::setPermissions(
          folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
  } restore{folder};
  auto writable = [&] {
    QFile probe(folder + "/probe");
    const bool ok = probe.open(QIODevice::WriteOnly);
    if (ok) probe.remove();
    return ok;
  };
  if (writable()) QProcess::execute("chattr", {"+i", folder});
  if (writable()) GTEST_SKIP() << "the race folder cannot be made read-only here";

  QTest::mouseClick(w.child<QRadioButton>("optMK"), Qt::LeftButton);
  w.ShiftClick({40, 40});
  ASSERT_EQ(r.MarkCount, 1);
  QTest::mouseClick(w.child<QPushButton>("Button8"), Qt::LeftButton);
  ASSERT_EQ(w.fakes.dialogs.messages.size(), 1);
  EXPECT_TRUE(w.fakes.dialogs.messages[0].contains(r.RaceFilePath))
      << w.fakes.dialogs.messages[0].toStdString();
  EXPECT_EQ(dir.Read("raceadmin/race.txt"), saved);
  EXPECT_EQ(r.MarkCount, 1);
  // EXIT cannot save either: the window stays, the mark with it.
  QTest::mouseClick(w.child<QPushButton>("Button1"), Qt::LeftButton);
  EXPECT_FALSE(w.form.closed());
  EXPECT_EQ(r.MarkCount, 1);

  QProcess::execute("chattr", {"-i", folder});
  QFile::setPermissions(folder,
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QTest::mouseClick(w.child<QPushButton>("Button8"), Qt::LeftButton);
  EXPECT_NE(dir.Read("raceadmin/race.txt").find("\nMK,"), std::string::npos);
}

TEST(Leaving, ExitLeavesAnUnchangedFileByteForByte) {
  kwtest::DataFolder dir;
  // Odd spacing and the course before the boats: a rewrite would change both.
  WriteRace(dir, "MK, 2118.50 ,8369.10\nwd,200\nCRS,MK1\n");
  const std::string original = dir.Read("raceadmin/race.txt");
  Hands w(dir.path());
  w.Open();
  w.form.show();
  QDir().mkpath(w.docs.path() + "/docs");
  QFile kml(w.docs.path() + "/docs/KeelwayMap5.kml");
  ASSERT_TRUE(kml.open(QIODevice::WriteOnly));
  kml.close();
  QTest::mouseClick(w.child<QPushButton>("Button1"), Qt::LeftButton);
  EXPECT_TRUE(w.form.closed());
  EXPECT_FALSE(w.child<QTimer>("Timer1")->isActive());
  EXPECT_EQ(dir.Read("raceadmin/race.txt"), original);
  EXPECT_FALSE(QFileInfo::exists(dir.path() + "raceadmin/race.txt.bak"));
  EXPECT_FALSE(kml.exists());
  EXPECT_TRUE(w.fakes.dialogs.messages.isEmpty());
}

TEST(Leaving, EditedCourseIsSavedOnExitOrAfterTheQuestion) {
  for (const char* how : {"exit", "close-yes", "close-no"}) {
    SCOPED_TRACE(how);
    kwtest::DataFolder dir;
    WriteRace(dir, "", true);
    const std::string original = dir.Read("raceadmin/race.txt");
    Hands w(dir.path());
    w.Open();
    QTest::mouseClick(w.child<QRadioButton>("optMK"), Qt::LeftButton);
    w.ShiftClick({50, 60});
    ASSERT_EQ(w.race().MarkCount, 1);
    const std::string how_ = how;
    w.fakes.dialogs.answer = how_ != "close-no";
    if (how_ == "exit")
      QTest::mouseClick(w.child<QPushButton>("Button1"), Qt::LeftButton);
    else
      w.form.close();
    EXPECT_TRUE(w.form.closed());
    const std::string file = dir.Read("raceadmin/race.txt");
    if (how_ == "close-no") {
      EXPECT_EQ(w.fakes.dialogs.messages, QStringList{"Rewrite File? (instead of old data)"});
      EXPECT_EQ(file, original);
    } else {
      // EXIT saves before the question, which then has nothing left to ask.
      EXPECT_EQ(w.fakes.dialogs.messages.size(), how_ == "exit" ? 0 : 1);
      EXPECT_NE(file.find("\nMK,"), std::string::npos);
    }
  }
}

TEST(Leaving, ClicksDuringALoadChangeNoFile) {
  kwtest::DataFolder dir;
  WriteRace(dir, "MK,2118.5,8369.1\n", true);
  const std::string original = dir.Read("raceadmin/race.txt");
  Hands w(dir.path());
  int during = 0;
  // Events run between boats: every tool gets a go while the tables are filled.
  QTimer::singleShot(0, &w.form, [&] {
    if (!w.form.loading()) return;
    ++during;
    w.Move({40, 40}, Qt::ShiftModifier);
    w.Click({40, 40}, Qt::LeftButton, Qt::ShiftModifier);
    w.Click({40, 40});
    QTest::mouseClick(w.child<QPushButton>("Button7"), Qt::LeftButton);
    QTest::mouseClick(w.child<QPushButton>("Button8"), Qt::LeftButton);
    QTest::mouseClick(w.child<QLabel>("Image1"), Qt::LeftButton);
    QTest::mousePress(w.child<QLabel>("Label1"), Qt::LeftButton);
  });
  w.form.FormCreate();
  EXPECT_EQ(during, 1);
  ASSERT_TRUE(w.form.raceReady());
  EXPECT_EQ(w.race().MarkCount, 1);
  EXPECT_DOUBLE_EQ(w.view().ZoomFactor, 1);
  EXPECT_EQ(dir.Read("raceadmin/race.txt"), original);
  // EXIT in the middle of a load abandons it and writes nothing.
  QTimer::singleShot(0, &w.form, [&] {
    if (w.form.loading()) QTest::mouseClick(w.child<QPushButton>("Button1"), Qt::LeftButton);
  });
  w.form.LoadRace();
  EXPECT_TRUE(w.form.closed());
  EXPECT_EQ(dir.Read("raceadmin/race.txt"), original);
}

// Showing another race replaces the course in memory: the rewrite question comes first, and
// only "Yes" writes the edited course into its own file (not into the race shown next).
TEST(Leaving, AnotherRaceAsksBeforeAnEditedCourseIsLost) {
  for (bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "yes" : "no");
    kwtest::DataFolder dir;
    WriteRace(dir, "", true);
    dir.Write("raceadmin/other.txt", dir.Read("raceadmin/race.txt"));
    const std::string original = dir.Read("raceadmin/race.txt");
    Hands w(dir.path());
    w.Open();
    QTest::mouseClick(w.child<QRadioButton>("optMK"), Qt::LeftButton);
    w.ShiftClick({50, 60});
    ASSERT_EQ(w.race().MarkCount, 1);
    w.fakes.dialogs.answer = yes;
    auto* list = w.child<QComboBox>("ComboBox1");
    list->setCurrentIndex(list->findText("other.txt"));
    QTest::mouseClick(w.child<QPushButton>("Button4"), Qt::LeftButton);
    EXPECT_EQ(w.fakes.dialogs.messages, QStringList{"Rewrite File? (instead of old data)"});
    ASSERT_TRUE(w.form.raceReady());
    EXPECT_TRUE(w.race().RaceFilePath.endsWith("other.txt"));
    EXPECT_EQ(dir.Read("raceadmin/other.txt"), original);
    EXPECT_EQ(dir.Read("raceadmin/race.txt").find("\nMK,") != std::string::npos, yes);
  }
}
