#include "app/tform1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include "race/racefile.h"
#include "race/text.h"

namespace kw {

namespace {

constexpr int kCtrlWidth = 230;  // control panel at the right of the map until the full layout
const QColor kSea(0, 72, 128);

template <typename W, typename... A>
W* Make(QWidget* parent, const char* name, A&&... args) {
  W* w = new W(std::forward<A>(args)..., parent);
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int width, int height) {
  QLabel* l = Make<QLabel>(parent, name);
  l->resize(width, height);
  l->setAlignment(Qt::AlignCenter);
  return l;
}

}  // namespace

// The window's steps of the loading sequence.
class TForm1::Hooks : public LoadHooks {
 public:
  explicit Hooks(TForm1& f) : f_(f) {}

  void PrepareCover() override {
    RaceData& r = f_.session_.race;
    // 2: the cover picture.
    QImage cover(r.ProgramFolder + QStringLiteral("raceadmin/cover.jpg"));
    f_.hasCover_ = !cover.isNull();
    f_.Image2->setPixmap(f_.hasCover_ ? QPixmap::fromImage(cover) : QPixmap());
    f_.Image2->resize(f_.hasCover_ ? cover.size() : QSize(0, 0));
    // 3: the whole work area; the cover over the client area.
    if (f_.isWindow() && f_.screen()) f_.setGeometry(f_.screen()->availableGeometry());
    QFont font = f_.font();
    const double ppi = f_.screen() ? f_.screen()->logicalDotsPerInch() : 96.0;
    font.setPointSize(qRound(864.0 / ppi));
    f_.setFont(font);
    f_.pnlSPLITE->setGeometry(f_.rect());
    f_.pnlSPLITE->show();
    f_.pnlSPLITE->raise();
    f_.hintbox->hide();
    // 4: course-editing mode replays no further races.
    f_.chkAutoNext->setChecked(r.EditMode == 0);
    if (r.EditMode == 1) f_.RadioW->setChecked(true);
    // 5: Japanese texts on a Japanese system, else English.
    f_.session_.play.Language = QLocale::system().language() == QLocale::Japanese ? 0 : 2;
    // 6
    f_.Timer1->stop();
    f_.Timer2->stop();
    // 7, 8
    f_.LayOutCover();
    f_.memo4->clear();
    f_.RadioButton1->setChecked(true);
    f_.pnlCTRL->show();
  }

  void ProcessEvents() override { QCoreApplication::processEvents(); }

  void RaceFileRead() override {
    f_.ComboBox1->setCurrentIndex(f_.session_.race.RaceListIndex - 1);
    f_.ShowCaptions();
    f_.ApplyRaceFileControls();
    f_.show();
  }

  bool TrackProgress(int i, int n, const QString& text) override {
    if (f_.closing_) return false;
    f_.ShowProgress(i, n, text);
    return true;
  }

  void Beep() override { f_.services_.sound->Beep(); }

  void PanelLayout() override {
    f_.ScrollBar1->setValue(
        static_cast<int>(SpeedToPosition(static_cast<float>(f_.session_.play.PlaySpeed))));
  }

  void Started() override {
    f_.Timer2->start(1000);
    RaceData& r = f_.session_.race;
    f_.RadioW->setChecked(r.NorthUp < 1);
    f_.RadioN->setChecked(r.NorthUp >= 1);
    if (r.EditMode == 0) f_.CheckBox2->setChecked(true);
  }

 private:
  TForm1& f_;
};

TForm1::TForm1(const Services& services, const QString& programFolder,
               const QString& documentsFolder, QWidget* parent)
    : QWidget(parent), services_(services), documentsFolder_(documentsFolder) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("keelway v3.1"));
  session_.race.ProgramFolder = programFolder.endsWith('/') ? programFolder : programFolder + '/';
  BuildControls();
}

TForm1::~TForm1() = default;

void TForm1::BuildControls() {
  pnlCTRL = Make<QFrame>(this, "pnlCTRL");
  pnlCTRL->setAutoFillBackground(true);
  ComboBox1 = Make<QComboBox>(pnlCTRL, "ComboBox1");
  ComboBox1->setGeometry(5, 5, kCtrlWidth - 60, 22);
  Button4 = Make<QPushButton>(pnlCTRL, "Button4", QStringLiteral("SHOW"));
  Button4->setGeometry(kCtrlWidth - 52, 5, 47, 22);
  pnlCT = Make<QFrame>(pnlCTRL, "pnlCT");
  pnlCT->setGeometry(5, 32, kCtrlWidth - 10, 24);
  RadioButton10 = Make<QRadioButton>(pnlCT, "RadioButton10", QStringLiteral("ET mode"));
  RadioButton10->setGeometry(0, 2, 100, 20);
  RadioButton11 = Make<QRadioButton>(pnlCT, "RadioButton11", QStringLiteral("CT mode"));
  RadioButton11->setGeometry(105, 2, 100, 20);
  QFrame* north = Make<QFrame>(pnlCTRL, "pnlNorth");
  north->setGeometry(5, 60, kCtrlWidth - 10, 24);
  RadioW = Make<QRadioButton>(north, "RadioW", QStringLiteral("Windwd"));
  RadioW->setGeometry(0, 2, 100, 20);
  RadioN = Make<QRadioButton>(north, "RadioN", QStringLiteral("Northwd"));
  RadioN->setGeometry(105, 2, 100, 20);
  RadioButton1 = Make<QRadioButton>(pnlCTRL, "RadioButton1", QStringLiteral("Track"));
  RadioButton1->setGeometry(5, 88, 80, 20);
  Button2 = Make<QPushButton>(pnlCTRL, "Button2", QStringLiteral("Att Files"));
  Button2->setGeometry(90, 88, 80, 22);
  ScrollBar1 = Make<QScrollBar>(pnlCTRL, "ScrollBar1", Qt::Horizontal);
  ScrollBar1->setRange(0, 120);
  ScrollBar1->setGeometry(5, 116, kCtrlWidth - 10, 16);
  CheckBox2 = Make<QCheckBox>(pnlCTRL, "CheckBox2", QStringLiteral("Show Name"));
  CheckBox2->setGeometry(5, 138, 100, 20);
  CheckBox3 = Make<QCheckBox>(pnlCTRL, "CheckBox3", QStringLiteral("AUTO"));
  CheckBox3->setGeometry(110, 138, 80, 20);
  CheckBox4 = Make<QCheckBox>(pnlCTRL, "CheckBox4", QStringLiteral("Small Scr"));
  CheckBox4->setGeometry(5, 160, 100, 20);
  chkAutoNext = Make<QCheckBox>(pnlCTRL, "chkAutoNext", QStringLiteral("Auto Next"));
  chkAutoNext->setGeometry(110, 160, 100, 20);

  hintbox = Make<QLabel>(this, "hintbox");
  hintbox->hide();

  pnlSPLITE = Make<QFrame>(this, "pnlSPLITE");
  pnlSPLITE->setAutoFillBackground(true);
  QPalette pal = pnlSPLITE->palette();
  pal.setColor(QPalette::Window, QColor(0, 0, 64));
  pal.setColor(QPalette::WindowText, Qt::white);
  pnlSPLITE->setPalette(pal);
  Image2 = Make<QLabel>(pnlSPLITE, "Image2");
  Image3 = MakeLabel(pnlSPLITE, "Image3", 300, 18);
  memo4 = MakeLabel(pnlSPLITE, "memo4", 500, 18);
  memo5 = MakeLabel(pnlSPLITE, "memo5", 900, 40);
  Memo7 = MakeLabel(pnlSPLITE, "Memo7", 900, 30);
  Label8 = MakeLabel(pnlSPLITE, "Label8", 400, 16);
  Label8->setText(QStringLiteral("keelway v3.1"));
  Label9 = MakeLabel(pnlSPLITE, "Label9", 400, 16);
  Label9->setText(QStringLiteral("Powered by"));
  Label10 = MakeLabel(pnlSPLITE, "Label10", 400, 16);
  Label10->setText(QStringLiteral("keelway developers"));
  QFont big = memo5->font();
  big.setPointSize(18);
  big.setBold(true);
  memo5->setFont(big);
  big.setPointSize(13);
  Memo7->setFont(big);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(50);
  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer3 = new QTimer(this);
  Timer3->setObjectName(QStringLiteral("Timer3"));

  CheckBox3->setChecked(true);
}

void TForm1::FormCreate() {
  RaceData& r = session_.race;
  QDir().mkpath(documentsFolder_);
  session_.play.FirstLoadDone = 0;
  session_.play.ModeChosenByUser = 0;
  const QString notice = BuildRaceList(r);
  if (!notice.isEmpty()) services_.dialogs->Message(QStringLiteral("keelway"), notice);
  ComboBox1->clear();
  for (int i = 0; i < r.RaceListCount; ++i) ComboBox1->addItem(r.RaceList[i]);
  ChooseRaceFile(r);
  LoadRace();
}

void TForm1::LayOutCover() {
  const int w = width(), h = height();
  const QSize img = Image2->size();
  const int top = (h - img.height()) / 2;
  Image2->move((w - img.width()) / 2, top);
  const int below = top + img.height();
  Image3->move((w - Image3->width()) / 2, below + 45);
  QPixmap bar(Image3->size());
  bar.fill(QColor(255, 255, 0));
  QPainter p(&bar);
  p.setPen(Qt::black);
  p.drawRect(0, 0, bar.width() - 1, bar.height() - 1);
  p.end();
  Image3->setPixmap(bar);
  memo4->move((w - memo4->width()) / 2, below + 20);
  memo5->move((w - memo5->width()) / 2, top >= 180 ? top - 70 : 110);
  Memo7->move((w - Memo7->width()) / 2, top >= 180 ? top - 130 : 50);
  Label10->move((w - Label10->width()) / 2, h - 35);
  Label9->move((w - Label9->width()) / 2, h - 51);
  Label8->move((w - Label8->width()) / 2, h - 75);
  const bool low = h < 610;
  Label8->setVisible(!low);
  Label9->setVisible(!low);
  Label10->setVisible(!low);
  Memo7->setVisible(!low);
  if (low) memo5->move(memo5->x(), (top - 20) / 2);
}

void TForm1::ShowProgress(int i, int n, const QString& text) {
  memo4->show();
  QPixmap bar = Image3->pixmap();
  if (bar.isNull()) return;
  QPainter p(&bar);
  p.fillRect(0, 0, qRound(static_cast<double>(i) * bar.width() / n), bar.height(),
             QColor(0, 0, 255));
  p.end();
  Image3->setPixmap(bar);
  memo4->setText(text);
  Image3->repaint();
  memo4->repaint();
}

void TForm1::ShowCaptions() {
  const RaceData& r = session_.race;
  setWindowTitle(r.RaceCaption);
  memo5->setText(r.RaceCaption.trimmed());
  Memo7->setText(r.RaceCaption2);
}

void TForm1::ApplyRaceFileControls() {
  const ControlSettings& c = session_.race.Controls;
  RadioButton11->setChecked(c.CtModeChecked);
  RadioButton10->setChecked(!c.CtModeChecked);
  RadioW->setChecked(c.WindwardChecked);
  RadioN->setChecked(!c.WindwardChecked);
  Button2->setEnabled(c.AttFilesEnabled);
  pnlCT->setVisible(session_.race.HasHandicap != 0);
}

void TForm1::GeneralError(const QString& text) {
  services_.dialogs->Message(QStringLiteral("keelway"), text);
}

void TForm1::LoadRace() {
  // A load lets events run; none of them may start another load.
  if (loading_) return;
  loading_ = true;
  Hooks hooks(*this);
  LoadOutcome o = kw::LoadRace(session_, hooks);
  loading_ = false;
  if (closing_) return;
  if (!o.notice.isEmpty()) services_.dialogs->Message(QStringLiteral("keelway"), o.notice);
  switch (o.status) {
    case LoadOutcome::Loaded:
      pnlSPLITE->hide();
      RedrawMapArea();
      break;
    case LoadOutcome::NoBoats:
      services_.dialogs->Message(QStringLiteral("keelway"), QStringLiteral("GPS file not exists."));
      endRequested_ = true;
      emit programEnd();
      break;
    case LoadOutcome::ConversionError:
      // What was read stays; the window stays usable.
      pnlSPLITE->hide();
      RedrawMapArea();
      GeneralError(o.error.Text());
      break;
    case LoadOutcome::Cancelled:
      break;
  }
}

void TForm1::RedrawMapArea() {
  if (size().isEmpty()) return;
  if (canvas_.size() != size()) canvas_ = QImage(size(), QImage::Format_RGB32);
  canvas_.fill(palette().color(QPalette::Window));
  QPainter p(&canvas_);
  const QRect map(0, 0, qMax(0, width() - kCtrlWidth), height());
  p.fillRect(map, kSea);
  p.setPen(Qt::white);
  QFont f = font();
  f.setPointSize(16);
  f.setBold(true);
  p.setFont(f);
  p.drawText(map.adjusted(20, 20, -20, -20), Qt::AlignTop | Qt::AlignLeft,
             session_.race.RaceCaption + QLatin1Char('\n') + session_.race.RaceCaption2);
  p.end();
  update();
}

void TForm1::paintEvent(QPaintEvent*) {
  if (canvas_.isNull()) return;
  QPainter p(this);
  p.drawImage(0, 0, canvas_);
}

void TForm1::resizeEvent(QResizeEvent*) {
  pnlCTRL->setGeometry(qMax(0, width() - kCtrlWidth), 0, kCtrlWidth, height());
  pnlSPLITE->setGeometry(rect());
  LayOutCover();
  if (!loading_) RedrawMapArea();
}

void TForm1::closeEvent(QCloseEvent* e) {
  // Closing during a load abandons it at the next boat; the load then returns.
  closing_ = true;
  e->accept();
}

}  // namespace kw
