// Both languages and the tips: the flags and the caption table, the tip of each control under
// the pointer, the tips switch, the help pages and the logo. Also the controls and the mouse
// routing of the remaining commands of the control panel (see tform1_commands.cpp).
#include <QCheckBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>

#include "app/form_widgets.h"
#include "app/tform1.h"
#include "view/language_texts.h"

namespace kw {

// Mouse events of the controls these concerns own, passed on to the form's handlers.
class TForm1::CommandEvents : public QObject {
 public:
  explicit CommandEvents(TForm1& form) : QObject(&form), form_(form) {}

  void Watch(QWidget* w) {
    w->installEventFilter(this);
    // Moves without a button reach a widget only when it tracks the mouse.
    w->setMouseTracking(true);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress)
      return form_.CommandPress(watched, static_cast<QMouseEvent*>(event)->button());
    if (event->type() == QEvent::MouseMove) {
      auto* me = static_cast<QMouseEvent*>(event);
      // A drag belongs to the control itself.
      if (me->buttons() != Qt::NoButton) return false;
      return form_.CommandHover(watched, me->position().toPoint());
    }
    return false;
  }

 private:
  TForm1& form_;
};

bool TForm1::SystemLocaleIsJapanese() {
  return QLocale::system().language() == QLocale::Japanese;
}

void TForm1::BuildCommandControls() {
  // In the logo panel, under the window size: the retouch and help buttons, and the tips
  // switch, which stays hidden so that tips are always on.
  Button5 = Make<QPushButton>(pnlLOGO, "Button5", QStringLiteral("Retouch"));
  Button5->setGeometry(181, 128, 78, 22);
  btnHELP = Make<QPushButton>(pnlLOGO, "btnHELP", QStringLiteral("?"));
  btnHELP->setGeometry(181, 154, 78, 22);
  chkHint = Make<QCheckBox>(pnlLOGO, "chkHint", QStringLiteral("Tips"));
  chkHint->setGeometry(181, 180, 78, 16);
  chkHint->setChecked(true);
  chkHint->hide();
  for (QPushButton* b : {Button5, btnHELP}) {
    QFont f = b->font();
    f.setPixelSize(11);
    b->setFont(f);
  }

  connect(Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
  connect(btnHELP, &QPushButton::clicked, this, &TForm1::btnHELPClick);
  connect(chkHint, &QCheckBox::toggled, this, &TForm1::chkHintClick);
  connect(Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
  connect(Button10, &QPushButton::clicked, this, &TForm1::Button10Click);
  connect(Button2, &QPushButton::clicked, this, &TForm1::button2Click);
  connect(ListBox1, &QListWidget::itemClicked, this, &TForm1::ListBox1Click);
  // The mouse presses Button3 itself (either button); the keyboard's click is the left one.
  connect(Button3, &QPushButton::clicked, this, [this] { Button3MouseDown(Qt::LeftButton); });

  auto* events = new CommandEvents(*this);
  for (QWidget* w : std::initializer_list<QWidget*>{usa, jpn, Label12, Label14, imgLOGO, Button3,
                                                    chkAutoNext, Button4, ChkBigBoat, CheckBox4,
                                                    GroupBox2, RadioButton1, RadioButton3, Image1,
                                                    btnHELP, pnlScore, Image5, pnlScore2, Image4})
    events->Watch(w);
  for (QWidget* w : {usa, jpn, Label12, Label14, imgLOGO}) w->setCursor(Qt::PointingHandCursor);
}

bool TForm1::CommandPress(QObject* watched, Qt::MouseButton button) {
  if (watched == Button3 && (button == Qt::LeftButton || button == Qt::RightButton)) {
    Button3MouseDown(button);
    return true;
  }
  if (button != Qt::LeftButton) return false;
  if (watched == usa) return usaClick(), true;
  if (watched == jpn) return jpnClick(), true;
  if (watched == Label12) return Label12Click(), true;
  if (watched == Label14) return TakeScreenshot(), true;
  if (watched == imgLOGO) return imgLOGOClick(), true;
  return false;
}

bool TForm1::CommandHover(QObject* watched, QPoint pointer) {
  const int page = session_.play.Page;
  if (watched == pnlScore || watched == Image5) return pnlScoreMouseMove(), true;
  if (watched == pnlScore2 || watched == Image4) return pnlScore2MouseMove(), true;
  // Over the page buttons the graph is copied again, erasing the pointer's marks on it.
  if (watched == GroupBox2 || watched == RadioButton1 || watched == RadioButton3) {
    if (page == 2 || page == 3) CopyGraphToForm();
    // Over the box itself the control panel's own handler ends any tip.
    if (watched == GroupBox2) return false;
  }
  if (watched == ChkBigBoat || watched == CheckBox4 || watched == Image1 || watched == imgLOGO)
    rs_.HoverBoat = 0;
  if (watched == Image1 || watched == imgLOGO) RepaintMap();

  struct Hover {
    QObject* control;
    TipId tip;
  };
  const Hover hovers[] = {
      {chkAutoNext, TipId::AutoNext},   {Button4, TipId::Show},
      {ChkBigBoat, TipId::BigBoat},     {CheckBox4, TipId::SmallScreen},
      {RadioButton1, TipId::PageTrack}, {RadioButton3, TipId::PageAnalysis},
      {Button3, TipId::GoogleEarth},    {btnHELP, TipId::Help},
      {Label12, TipId::HelpLabel},      {Label14, TipId::Screenshot},
      {imgLOGO, TipId::Logo},
  };
  for (const Hover& h : hovers)
    if (watched == h.control) return ShowTip(h.tip, pointer), true;
  if (watched == Image1) {
    if (rs_.SmallScreen)
      ShowTip(TipId::OverviewSmall, pointer);
    else if (page == 1 && session_.view.TraceMode == 0)
      ShowTip(TipId::OverviewStill, pointer);
    else
      hintbox->hide();
    return true;
  }
  return false;
}

QRect TForm1::FormRectOf(const char* name) const {
  const QWidget* w = findChild<QWidget*>(QString::fromLatin1(name));
  if (!w) return {};
  return QRect(w->mapTo(this, QPoint(0, 0)), w->size());
}

bool TForm1::ShowTip(TipId id, QPoint pointer) {
  const TipSpec& t = Tip(id);
  if (!t.always && !hintsOn_) {
    hintbox->hide();
    return false;
  }
  TipPlaceInput in;
  in.control = FormRectOf(t.control);
  if (t.reference) in.reference = FormRectOf(t.reference);
  in.mapWidth = session_.view.MapWidth;
  in.logoLeft = pnlLOGO->x();
  in.overviewHeight = session_.view.OverviewHeight;
  in.pointer = pointer;
  const int language = session_.play.Language;
  const QString about = AboutPage(language);
  const TipBox box =
      PlaceTip(id, language, in, about, HintTextSize(PlaceTip(id, language, in, about).text));
  HintLeft = box.rect.x();
  HintTop = box.rect.y();
  ShowHintBox(box.text, box.rect.width(), box.rect.height());
  return true;
}

void TForm1::ApplyLanguage() {
  const bool ja = IsJapanese(session_.play.Language);
  Label1->setGeometry(5, Label1->y(), pnlBOATlist->width() - 18, Label1->height());
  for (const CaptionRow& row : CaptionTable()) {
    QWidget* w = findChild<QWidget*>(QString::fromLatin1(row.control));
    const QString& text = ja ? row.japanese : row.english;
    if (auto* label = qobject_cast<QLabel*>(w))
      label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
      button->setText(text);
    else if (auto* box = qobject_cast<QGroupBox*>(w))
      box->setTitle(text);
  }
}

void TForm1::jpnClick() {
  session_.play.Language = 0;
  jpn->hide();
  usa->show();
  ApplyLanguage();
}

void TForm1::usaClick() {
  session_.play.Language = 1;
  jpn->show();
  usa->hide();
  ApplyLanguage();
}

void TForm1::chkHintClick() {
  hintsOn_ = chkHint->isChecked();
}

bool TForm1::OpenDataPage(const QString& first, const QString& second) {
  const QString folder = session_.race.ProgramFolder;
  for (const QString& page : {first, second}) {
    const QString path = folder + page;
    if (QFileInfo(path).isFile()) {
      services_.shell->Open(path);
      return true;
    }
  }
  return false;
}

void TForm1::btnHELPClick() {
  const int language = session_.play.Language;
  OpenDataPage(HelpPage(language), HelpPage(language, true));
  ShowTip(TipId::Help);
}

void TForm1::Label12Click() {
  // The small "?" opens the Japanese pages whatever the language; it is shown only when they
  // exist.
  const QString page = HelpPage(0);
  if (!QFileInfo(session_.race.ProgramFolder + page).isFile()) return;
  services_.sound->Beep();
  OpenDataPage(page, page);
}

void TForm1::imgLOGOClick() {
  // The product's own page is the data folder's "about" page, never an outside site.
  const int language = session_.play.Language;
  OpenDataPage(AboutPage(language), AboutPage(language, true));
}

}  // namespace kw
