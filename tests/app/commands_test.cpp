// Both languages, the tips, help and logo, and the remaining commands of the control panel,
// driven by real mouse events on the offscreen window; the fake shell and dialogs record what
// was opened or asked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>

#include "app/fakes.h"
#include "app/named_child.h"
#include "app/replay_controller.h"
#include "app/tform1.h"
#include "support/test_support.h"
#include "view/language_texts.h"
#include "view/window_layout.h"

using namespace kw;

namespace {

// Two boats sailing from 09:58 to 10:04:38 local; the clock spans -190 .. 1830 s.
void WriteRace(const kwtest::DataFolder& dir, const QString& file = "race.txt",
               const std::string& extra = "") {
  dir.Write("gpsdat/a.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0));
  dir.Write("gpsdat/b.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0, 2, 35.301));
  dir.Write("raceadmin/" + file,
            "T1,Small race\nST,2007/05/12 10:00:00\nFT,2007/05/12 10:30:00\nTD,9\nPS,20,5\n"
            "BN,a.gpx,Alpha\nBN,b.gpx,Bravo\n" +
                extra);
}

struct Window {
  kwtest::FakeServices fakes;
  QTemporaryDir docs;
  TForm1 form;
  explicit Window(const QString& folder, bool japanese = false)
      : form(fakes.services(), folder, docs.path() + "/docs") {
    fakes.clock.step = 100;
    form.SetJapaneseLocale(japanese);
    form.FormCreate();
    form.show();
    // Past the splash hold, then stopped, so that nothing moves under the test.
    fakes.clock.now = form.windowState().SplashStart + 4500;
    form.replay().Timer2Timer();
    form.replay().stop_fClick();
  }
  template <typename T = QWidget>
  T* child(const char* name) {
    return kwtest::NamedChild<T>(form, name);
  }
  void Click(const char* name, Qt::MouseButton button = Qt::LeftButton) {
    QWidget* w = child(name);
    QTest::mouseClick(w, button, Qt::NoModifier, w->rect().center());
  }
  // The pointer moving over a control with no button down.
  void Hover(const char* name, QPoint at = QPoint(3, 3)) {
    QWidget* w = child(name);
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
  QLabel* hint() { return child<QLabel>("hintbox"); }
  QString docsFile(const char* name) { return docs.path() + "/docs/" + name; }
  PlaybackState& play() { return form.session().play; }
  const RaceData& race() { return form.session().race; }
};

QString CaptionOf(QWidget* w) {
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  return "?";
}

void ExpectCaptions(Window& w, bool japanese) {
  for (const CaptionRow& row : CaptionTable()) {
    QWidget* c = w.form.named().Find(row.control);
    ASSERT_NE(c, nullptr) << row.control;
    EXPECT_EQ(CaptionOf(c), japanese ? row.japanese : row.english) << row.control;
  }
}

}  // namespace

TEST(Language, AJapaneseSystemStartsInJapaneseAndTheFlagsSwitchEveryCaption) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Window w(dir.path(), true);
  EXPECT_EQ(w.form.windowState().Language, 0);
  ExpectCaptions(w, true);
  auto* usa = w.child<QLabel>("usa");
  auto* jpn = w.child<QLabel>("jpn");
  EXPECT_TRUE(usa->isVisible());
  EXPECT_FALSE(jpn->isVisible());

  w.Click("usa");
  EXPECT_EQ(w.form.windowState().Language, 1);
  ExpectCaptions(w, false);
  EXPECT_TRUE(jpn->isVisible());
  EXPECT_FALSE(usa->isVisible());
  EXPECT_EQ(jpn->geometry(), usa->geometry());  // the other flag at the same place
  w.Click("jpn");
  EXPECT_EQ(w.form.windowState().Language, 0);
  ExpectCaptions(w, true);
  w.Click("usa");
  ExpectCaptions(w, false);

  // Every load decides the language from the system again.
  w.form.LoadRace();
  EXPECT_EQ(w.form.windowState().Language, 0);
  ExpectCaptions(w, true);
  EXPECT_TRUE(usa->isVisibleTo(&w.form));
}

// The caption, tip and place tables name controls; each name must be a widget of the window.
TEST(Language, EveryNameTheTablesUseIsAWidget) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Window w(dir.path());
  std::vector<const char*> names;
  for (const CaptionRow& row : CaptionTable()) names.push_back(row.control);
  for (const TipSpec& tip : TipTable()) {
    names.push_back(tip.control);
    if (tip.reference) names.push_back(tip.reference);
  }
  for (const ControlPlace& place : ControlPanelPlaces()) names.push_back(place.name);
  for (const char* name : names) {
    const QWidget* widget = w.form.named().Find(name);
    ASSERT_NE(widget, nullptr) << name;
    EXPECT_EQ(widget, kwtest::NamedChild<QWidget>(w.form, name)) << name;
  }
}

TEST(Language, AnyOtherSystemIsEnglishWithoutFlags) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Window w(dir.path(), false);
  EXPECT_EQ(w.form.windowState().Language, 2);
  ExpectCaptions(w, false);
  EXPECT_FALSE(w.child("usa")->isVisible());
  EXPECT_FALSE(w.child("jpn")->isVisible());
  // The boat list's heading spans the list.
  EXPECT_EQ(w.child("Label1")->x(), 5);
  EXPECT_EQ(w.child("Label1")->width(), w.child("pnlBOATlist")->width() - 18);
}

TEST(Tips, ShownOverTheirControlsInTheLanguageAndOnlyWhenAllowed) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Window w(dir.path(), true);
  QLabel* hint = w.hint();

  w.Hover("chkAutoNext");
  ASSERT_TRUE(hint->isVisible());
  EXPECT_EQ(hint->text(), "ファイルを順次自動切換えします");
  const QRect box = w.child("chkAutoNext")->geometry().translated(w.child("pnlCTRL")->pos());
  EXPECT_EQ(hint->geometry().right(), box.right());
  EXPECT_EQ(hint->y(), box.y() - 21);
  // Off the control, over the panel, the tip goes.
  w.Hover("pnlCTRL", QPoint(2, 2));
  EXPECT_FALSE(hint->isVisible());

  w.Hover("Button3");
  EXPECT_TRUE(hint->text().startsWith("  Google Earthを表示します"));
  w.Click("usa");
  w.Hover("Button3");
  EXPECT_TRUE(hint->text().startsWith("    Show Google Earth\n"));
  EXPECT_EQ(hint->x() + hint->width() + 5, w.child("Button3")->mapTo(&w.form, QPoint()).x());

  // With tips off only the "always" tips show.
  w.child<QCheckBox>("chkHint")->setChecked(false);
  w.Hover("ChkBigBoat");
  EXPECT_FALSE(hint->isVisible());
  w.Hover("RadioButton1");
  EXPECT_TRUE(hint->isVisible());
  EXPECT_EQ(hint->text(), "Show Boat Tracks");
  EXPECT_EQ(hint->x(), w.form.session().view.MapWidth - 155);
  w.Hover("Label14");
  EXPECT_FALSE(hint->isVisible());
  w.child<QCheckBox>("chkHint")->setChecked(true);
  w.Hover("Label14");
  EXPECT_EQ(hint->text(), "<s> to show ScreenShot");

  // The logo's tip names the local about page, never an outside site.
  w.Hover("imgLOGO");
  EXPECT_TRUE(hint->text().endsWith("<link to help-e/about.html>"));
  EXPECT_GE(hint->x(), 0);
  EXPECT_LE(hint->geometry().right(), w.form.width() - 1);
}

TEST(Help, OpensThePageOfTheLanguageOrTheOtherOne) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  dir.Write("help-e/index.html", "<html></html>");
  dir.Write("help-e/about.html", "<html></html>");
  Window w(dir.path(), true);
  // No Japanese pages: the English ones.
  w.Click("btnHELP");
  w.Click("imgLOGO");
  EXPECT_EQ(w.fakes.shell.opened,
            QStringList({dir.path() + "help-e/index.html", dir.path() + "help-e/about.html"}));
  EXPECT_TRUE(w.hint()->isVisible());  // the help button's tip comes back

  dir.Write("help/index.html", "<html></html>");
  w.fakes.shell.opened.clear();
  w.Click("btnHELP");
  const int beeps = w.fakes.sound.beeps;
  w.Click("Label12");
  EXPECT_EQ(w.fakes.sound.beeps, beeps + 1);
  w.Click("usa");
  w.Click("btnHELP");
  w.Click("Label12");  // the Japanese pages whatever the language
  EXPECT_EQ(w.fakes.shell.opened,
            QStringList({dir.path() + "help/index.html", dir.path() + "help/index.html",
                         dir.path() + "help-e/index.html", dir.path() + "help/index.html"}));

  QFile::remove(dir.path() + "help/index.html");
  QFile::remove(dir.path() + "help-e/index.html");
  w.fakes.shell.opened.clear();
  w.Click("btnHELP");
  w.Click("Label12");
  EXPECT_TRUE(w.fakes.shell.opened.isEmpty());
}

TEST(Commands, ScreenshotAndRetouchWriteBitmapsAndOpenThem) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Window w(dir.path());
  w.Click("Label14");
  const QString shot = w.docsFile("keelway.bmp");
  ASSERT_EQ(w.fakes.shell.opened, QStringList{shot});
  const QImage img(shot, "BMP");
  EXPECT_EQ(img.size(), QSize(w.form.session().view.MapWidth, w.form.session().view.MapHeight));

  w.Click("Button5");
  const QString retouch = w.docsFile("NoName.bmp");
  EXPECT_EQ(w.fakes.shell.opened.last(), retouch);
  EXPECT_EQ(QImage(retouch, "BMP").size(), w.form.mapBitmap().size());
}

TEST(Commands, AScreenshotThatCannotBeWrittenSaysSo) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Window w(dir.path());
  // The picture's name is taken by a folder.
  ASSERT_TRUE(QDir().mkpath(w.docsFile("keelway.bmp")));
  w.Click("Label14");
  ASSERT_EQ(w.fakes.dialogs.messages.size(), 1);
  EXPECT_TRUE(w.fakes.dialogs.messages[0].contains(w.docsFile("keelway.bmp")));
  EXPECT_TRUE(w.fakes.shell.opened.isEmpty());
}

TEST(Commands, JumpsStayInsideTheReplayWindow) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Window w(dir.path());
  auto* date = w.child<QDateEdit>("DateTimePicker1");
  auto* time = w.child<QTimeEdit>("DateTimePicker2");
  struct Case {
    QDate d;
    QTime t;
    double clock;
    const char* memo;
  };
  const Case cases[] = {
      {QDate(2007, 5, 12), QTime(10, 2, 30), 150, "2007/05/12 10:02:30"},
      {QDate(2007, 5, 12), QTime(9, 59, 0), -60, "2007/05/12 09:59:00"},   // before the gun
      {QDate(2007, 5, 12), QTime(11, 0, 0), 1830, "2007/05/12 10:30:30"},  // after the finish
      {QDate(2007, 5, 11), QTime(10, 0, 0), -190, "2007/05/12 09:56:50"},  // the day before
  };
  for (const Case& c : cases) {
    date->setDate(c.d);
    time->setTime(c.t);
    w.Click("Button6");
    EXPECT_EQ(w.play().RaceClock, c.clock) << c.memo;
    EXPECT_EQ(w.child<QLabel>("Memo1")->text(), c.memo);
    EXPECT_DOUBLE_EQ(w.play().ShownTime, w.race().StartTime + c.clock / 86400.0);
  }
  w.Click("Button10");
  EXPECT_EQ(w.play().RaceClock, 0);
  EXPECT_EQ(date->date(), QDate(2007, 5, 12));
  EXPECT_EQ(time->time(), QTime(10, 0, 0));
  EXPECT_EQ(w.child<QLabel>("Memo1")->text(), "2007/05/12 10:00:00");
}

TEST(Commands, ShowLoadsTheChosenRaceOrSaysItIsShown) {
  kwtest::DataFolder dir;
  WriteRace(dir, "race-r1.txt");
  WriteRace(dir, "r1.txt", "T2,The other race\n");
  Window w(dir.path());
  auto* combo = w.child<QComboBox>("ComboBox1");
  ASSERT_EQ(combo->count(), 2);
  ASSERT_TRUE(w.race().RaceFilePath.endsWith("/r1.txt"));  // first by name
  w.Click("Button4");
  EXPECT_EQ(w.fakes.dialogs.messages, QStringList{"Already shown."});

  // "r1.txt" is part of "race-r1.txt" but not the same race.
  combo->setCurrentIndex(1);
  w.Click("Button4");
  EXPECT_TRUE(w.race().RaceFilePath.endsWith("/race-r1.txt"));
  EXPECT_EQ(w.race().RaceListIndex, 2);
  EXPECT_EQ(w.fakes.dialogs.messages.size(), 1);

  // A race removed since the list was made is named, and the race shown stays.
  QFile::remove(dir.path() + "raceadmin/r1.txt");
  combo->setCurrentIndex(0);
  w.Click("Button4");
  EXPECT_TRUE(w.fakes.dialogs.messages.last().endsWith("r1.txt: file not found"));
  EXPECT_TRUE(w.race().RaceFilePath.endsWith("/race-r1.txt"));
  EXPECT_FALSE(w.form.endRequested());
}

TEST(Commands, OneAttachmentOpensAtOnceSeveralAreListed) {
  kwtest::DataFolder dir;
  dir.Write("attachment/si.html", "<html></html>");
  dir.Write("attachment/notice.txt", "notice");
  WriteRace(dir, "a.txt", "AT,si.html\n");
  WriteRace(dir, "b.txt", "AT,si.html,gone.pdf,notice.txt\n");
  Window w(dir.path());
  auto* list = w.child<QListWidget>("ListBox1");
  ASSERT_TRUE(w.child("Button2")->isEnabled());
  w.Click("Button2");
  w.Click("Button2");
  EXPECT_EQ(w.fakes.shell.opened,
            QStringList({dir.path() + "attachment/si.html", dir.path() + "attachment/si.html"}));
  EXPECT_FALSE(list->isVisible());

  w.child<QComboBox>("ComboBox1")->setCurrentIndex(1);
  w.Click("Button4");
  w.fakes.shell.opened.clear();
  w.Click("Button2");
  ASSERT_TRUE(list->isVisible());
  ASSERT_EQ(list->count(), 2);  // the missing file was never an attachment
  EXPECT_EQ(list->item(1)->text(), "notice.txt");
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                    list->visualItemRect(list->item(1)).center());
  EXPECT_EQ(w.fakes.shell.opened, QStringList{dir.path() + "attachment/notice.txt"});
  EXPECT_FALSE(list->isVisible());
  // A second press while the list shows only hides it.
  w.Click("Button2");
  w.Click("Button2");
  EXPECT_FALSE(list->isVisible());
  EXPECT_EQ(w.fakes.shell.opened.size(), 1);
}

TEST(Commands, GoogleEarthWritesTheRaceOrTheSceneAndAsksAboutHiddenBoats) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Window w(dir.path());
  w.Click("Button3");
  EXPECT_TRUE(w.fakes.dialogs.messages.isEmpty());  // every boat shown: nothing to ask
  ASSERT_EQ(w.fakes.shell.opened, QStringList{w.docsFile("KeelwayMap5.kml")});
  QFile race(w.docsFile("KeelwayMap5.kml"));
  ASSERT_TRUE(race.open(QIODevice::ReadOnly));
  EXPECT_TRUE(race.readAll().contains("<name>Bravo</name>"));

  w.form.session().race.BoatShown[2] = 0;
  w.form.session().play.RaceClock = 60;
  w.fakes.dialogs.answer = true;
  w.Click("Button3", Qt::RightButton);
  EXPECT_EQ(w.fakes.dialogs.messages, QStringList{"Hide Unfocused Boat ?"});
  ASSERT_EQ(w.fakes.shell.opened.last(), w.docsFile("KeelwayMap4.kml"));
  QFile scene(w.docsFile("KeelwayMap4.kml"));
  ASSERT_TRUE(scene.open(QIODevice::ReadOnly));
  const QByteArray kml = scene.readAll();
  EXPECT_TRUE(kml.contains("<name>Alpha</name>"));
  EXPECT_FALSE(kml.contains("<name>Bravo</name>"));
  EXPECT_TRUE(kml.contains("<name>10:01:00</name>"));  // the scene at the clock

  // In Japanese the question is Japanese; "No" keeps the hidden boat with a thin line.
  w.form.windowState().Language = 0;
  w.fakes.dialogs.answer = false;
  w.Click("Button3");
  EXPECT_TRUE(w.fakes.dialogs.messages.last().startsWith("フォーカスの外れた艇を隠しますか？\n"));
  race.close();
  ASSERT_TRUE(race.open(QIODevice::ReadOnly));
  EXPECT_TRUE(race.readAll().contains("<name>Bravo</name>"));
}

TEST(Commands, ResultPanelsStepOutOfThePointersWay) {
  kwtest::DataFolder dir;
  WriteRace(dir);
  Window w(dir.path());
  QWidget* score = w.child("pnlScore");
  QWidget* score2 = w.child("pnlScore2");
  const int h = w.form.session().view.MapHeight;
  const int rightSide = w.child("pnlTimeBar")->x() - score->width() - 5;
  score->move(rightSide, 130);
  score2->move(5, 5);
  w.Hover("pnlScore");
  EXPECT_EQ(score->pos(), QPoint(5, 130));
  EXPECT_EQ(score2->pos(), QPoint(5, h - score2->height() - 5));  // out of the way below
  w.Hover("Image5");
  EXPECT_EQ(score->pos(), QPoint(rightSide, 130));
  w.Hover("Image4");
  EXPECT_EQ(score2->pos(), QPoint(5, 5));
  score->move(5, 130);
  w.Hover("pnlScore2");
  EXPECT_EQ(score2->pos(), QPoint(5, h - score2->height() - 5));
  EXPECT_EQ(score->pos(), QPoint(rightSide, 130));
}
