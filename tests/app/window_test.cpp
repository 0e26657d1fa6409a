#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include "app/fakes.h"
#include "app/named_child.h"
#include "app/single_instance.h"
#include "app/tform1.h"
#include "support/test_support.h"

using namespace kw;

namespace {

struct Window {
  kwtest::FakeServices fakes;
  QTemporaryDir docs;
  TForm1 form;
  explicit Window(const QString& folder) : form(fakes.services(), folder, docs.path() + "/docs") {}
  template <typename T>
  T* child(const char* name) {
    return kwtest::NamedChild<T>(form, name);
  }
};

void WriteSmallRace(const kwtest::DataFolder& dir, const std::string& extra = "") {
  dir.Write("gpsdat/a.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0));
  dir.Write("gpsdat/b.gpx", kwtest::MakeGpx(200, 2007, 5, 12, 0, 58, 0, 2, 35.31));
  dir.Write("raceadmin/race.txt",
            "T1,Small race\nT2,Second line\nST,2007/05/12 10:00:00\nFT,2007/05/12 10:30:00\n"
            "TD,9\nPS,20,5\nBN,a.gpx,Alpha,1.05\nBN,b.gpx,Bravo,1.0\n" +
                extra);
}

}  // namespace

TEST(Window, LoadsTheRaceAndShowsItsCaption) {
  kwtest::DataFolder dir;
  WriteSmallRace(dir);
  Window w(dir.path());
  w.form.FormCreate();
  EXPECT_EQ(w.form.windowTitle(), "Small race");
  EXPECT_EQ(w.child<QLabel>("memo5")->text(), "Small race");
  EXPECT_EQ(w.child<QLabel>("Memo7")->text(), "Second line");
  EXPECT_EQ(w.child<QLabel>("memo4")->text(), "LOADING  b.gpx  (2/2)");
  // The cover stays for the splash hold of the one-second timer.
  EXPECT_TRUE(w.child<QFrame>("pnlSPLITE")->isVisibleTo(&w.form));
  EXPECT_TRUE(w.child<QFrame>("pnlCT")->isVisible());  // boat 1 has a handicap factor
  EXPECT_EQ(w.child<QComboBox>("ComboBox1")->currentText(), "race.txt");
  EXPECT_TRUE(w.child<QRadioButton>("RadioButton10")->isChecked());
  EXPECT_TRUE(w.child<QRadioButton>("RadioW")->isChecked());
  EXPECT_FALSE(w.child<QPushButton>("Button2")->isEnabled());
  EXPECT_EQ(w.child<QScrollBar>("ScrollBar1")->value(), 19);  // pre-start speed 5
  EXPECT_EQ(w.form.session().race.BoatCount, 2);
  EXPECT_TRUE(w.fakes.dialogs.messages.isEmpty());
  EXPECT_GE(w.fakes.sound.beeps, 1);
  // The first frame is drawn behind the cover: the sea of full daylight.
  const QImage& c = w.form.canvas();
  ASSERT_FALSE(c.isNull());
  EXPECT_EQ(c.pixelColor(5, c.height() - 5), QColor(110, 160, 255));
}

TEST(Window, NoBoatsEndsTheProgramWithTheMessage) {
  kwtest::DataFolder dir;
  dir.Write("raceadmin/race.txt", "T1,Nothing\nBN,missing.gpx,X\n");
  Window w(dir.path());
  w.form.FormCreate();
  EXPECT_EQ(w.fakes.dialogs.messages, QStringList{"GPS file not exists."});
  EXPECT_TRUE(w.form.endRequested());
}

TEST(Window, ConversionErrorIsShownAndTheWindowStays) {
  kwtest::DataFolder dir;
  WriteSmallRace(dir, "MK,2118.5,oops\n");
  Window w(dir.path());
  w.form.FormCreate();
  ASSERT_EQ(w.fakes.dialogs.messages.size(), 1);
  EXPECT_EQ(w.fakes.dialogs.messages[0],
            "race.txt: 'oops' is not a valid floating point value (line 9)");
  EXPECT_FALSE(w.form.endRequested());
  EXPECT_FALSE(w.form.loading());
  EXPECT_EQ(w.form.session().race.BoatCount, 2);  // read before the bad line
}

TEST(Window, LoadsTheDemoRace) {
  const QString demo = kwtest::DemoDir();
  if (!QFileInfo::exists(demo + "raceadmin/racefile.st")) GTEST_SKIP() << "no demo races";
  Window w(demo);
  w.form.FormCreate();
  EXPECT_TRUE(w.fakes.dialogs.messages.isEmpty())
      << w.fakes.dialogs.messages.join("|").toStdString();
  EXPECT_TRUE(w.form.windowTitle().contains("Enoshima")) << w.form.windowTitle().toStdString();
  EXPECT_GE(w.form.session().race.BoatCount, 12);
}

TEST(Window, ASecondLoadDuringALoadIsRefused) {
  kwtest::DataFolder dir;
  WriteSmallRace(dir);
  Window w(dir.path());
  // Events run between boats: a nested request must not start a second load.
  int nested = 0;
  QTimer::singleShot(0, &w.form, [&] {
    if (w.form.loading()) {
      w.form.LoadRace();
      ++nested;
    }
  });
  w.form.FormCreate();
  EXPECT_FALSE(w.form.loading());
  EXPECT_EQ(w.form.session().race.BoatCount, 2);
  EXPECT_LE(nested, 1);
}

TEST(SingleInstance, ASecondStartRaisesTheFirst) {
  const QString name = QStringLiteral("keelway-test-%1").arg(QCoreApplication::applicationPid());
  SingleInstance first(name);
  SingleInstance second(name);
  EXPECT_FALSE(second.RaiseOther());  // nobody runs yet
  ASSERT_TRUE(first.Listen());
  int raised = 0;
  QObject::connect(&first, &SingleInstance::raiseRequested, [&] { ++raised; });
  EXPECT_TRUE(second.RaiseOther());
  for (int i = 0; i < 50 && raised == 0; ++i)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(raised, 1);
}

TEST(Window, ARaceFileOutsideTheListStillShowsItsName) {
  kwtest::DataFolder dir;
  WriteSmallRace(dir);  // race.txt, the list's only entry
  dir.Write("raceadmin/special.dat", dir.Read("raceadmin/race.txt"));
  dir.Write("raceadmin/racefile.st", "special.dat\n");
  Window w(dir.path());
  w.form.FormCreate();
  auto* combo = w.child<QComboBox>("ComboBox1");
  EXPECT_EQ(combo->currentIndex(), -1);
  EXPECT_EQ(combo->placeholderText(), "special.dat");
}
