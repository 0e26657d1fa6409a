// The main form. Handlers are thin: they call the core and update widgets.
#pragma once

#include <QImage>
#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <vector>

#include "analysis/page_numbers.h"
#include "app/qt_services.h"
#include "session/loader.h"
#include "session/session.h"
#include "view/render_state.h"
#include "view/time_bar.h"

class QLabel;
class QFrame;
class QComboBox;
class QRadioButton;
class QPushButton;
class QScrollBar;
class QCheckBox;
class QTimer;
class QGroupBox;
class QListWidget;
class QDateEdit;
class QTimeEdit;
class QLineEdit;

namespace kw {

enum class TipId;
class UpDown;

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // `programFolder` is the data folder (ending in '/'); `documentsFolder` where exports go.
  TForm1(const Services& services, const QString& programFolder, const QString& documentsFolder,
         QWidget* parent = nullptr);
  ~TForm1() override;

  // Builds the catalogue, chooses the race file and loads it.
  void FormCreate();
  // The loading sequence; does nothing while a load runs.
  void LoadRace();

  // The three timers' handlers, public so that tests drive them without real time.
  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();

  // Play buttons, single steps and the controls of the playback clock.
  void up_fClick();
  void dn_fClick();
  void stop_fClick();
  void plusClick();
  void minusClick();
  void btnStopWatchClick();
  void ScrollBar1Change();
  void ScrollBar3Change();
  void Button4Click();

  // View controls and the still map.
  void CheckBox1Click();
  void RadioNClick();
  void RadioWClick();
  void FormMouseWheel(bool up);

  // Time bar mouse handling; y is the row on TimeBar or BackTimeBar.
  void TimeBarMouseDown(Qt::MouseButton button, int y);
  void TimeBarMouseMove(int y);
  void TimeBarMouseUp(Qt::MouseButton button, int y);
  void BackTimeBarMouseDown(int y);
  void pnlTimeBarMouseMove();
  void pnlCTRLMouseMove();

  // The yellow tip box, placed at (HintLeft, HintTop) which each caller sets first.
  void ShowHintBox(const QString& text, int width, int height);
  // The map area as shown on screen, saved into the documents folder and opened.
  void TakeScreenshot();

  // The graph page (2) and the analysis page (3): drawn again into the graph bitmap and
  // copied to the form; nothing on the track page.
  void DrawPage();
  // The graph bitmap onto the form, erasing what was drawn over it.
  void CopyGraphToForm();
  // One boat picked out over the graph or analysis page, drawn on the form only.
  void HighlightBoatOnPage(int boat);
  // The wind series over the copied graph page (a race with a wind file).
  void DrawWindOverlayOnForm();
  // The boats' names beside their circles on the analysis page, on the form only.
  void DrawAnalysisNamesOnForm();

  // Pages, modes and the final board.
  void RadioButton1Click();
  void RadioButton2Click();
  void RadioButton3Click();
  void CheckBox2Click();
  void RadioButton10Click();
  void RadioButton11Click();
  void CheckBox4Click();
  void SmallScreenSizeClick();
  void ShowSmallScreenBar();
  // Small-screen mode's end of a replay: the whole ranking over the map for ten seconds.
  void ShowFinalBoard();

  // Lays out every panel for the current size.
  void LayoutWindow();

  // A line shown on the loading cover until the first race has been shown (the first run's
  // copy of the demo races, or why it failed); empty for none.
  void SetCoverNotice(const QString& text);

  RaceSession& session() { return session_; }
  RenderState& renderState() { return rs_; }
  bool loading() const { return loading_; }
  const QImage& canvas() const { return canvas_; }
  const QImage& mapBitmap() const { return mapBitmap_; }
  const TimeBarGeometry& timeBarGeometry() const { return timeBar_; }
  // Set when the program asked to end (no boats to show).
  bool endRequested() const { return endRequested_; }
  // The window was closed (possibly while the first race was still loading).
  bool closed() const { return closing_; }
  // A race is loaded completely and can be replayed.
  bool raceReady() const { return raceReady_; }

 signals:
  void programEnd();

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void closeEvent(QCloseEvent*) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Hooks;
  friend class Hooks;

  void BuildControls();
  void BuildCover();
  void BuildControlPanel();
  void BuildPlayButtons();
  void BuildTimeBar();
  void BuildFloatingPanels();
  void LayOutCover();
  void ShowProgress(int i, int n, const QString& text);
  void ApplyRaceFileControls();
  void ShowCaptions();
  void GeneralError(const QString& text);

  void SetUpView();
  // The overview, the compass card and the wind strip for the loaded race and orientation.
  void RebuildViewPictures();
  void DrawOverview();
  // The still map's background and highlight, shown at once (only on the still map page).
  void BuildStillMap();
  void SetTraceMode();
  void SetNorthUp(int northUp);
  // After a frame: the overview's boat markers, its view rectangle, the wind direction.
  void PlaceOverviewMarkers();
  void BuildFocusLists();
  void FreeRaceControls();
  void ResizeBitmaps(int width, int height);
  void DrawTimeBar();
  void ResetPlayButtons();
  // The frame: background prepared, scene drawn, copied to the form. Returns false when the
  // race has run out (the caller runs the end-of-race step).
  bool PrepareFrame();
  bool DrawFrame();
  void CopyMapToForm();
  void RepaintMap();
  // The end of the replay: the next race of the catalogue, or the start again. True when
  // another race was loaded.
  bool EndOfRace();
  // The single steps: stop, move the clock by whole seconds (wrapping at the ends), redraw.
  void StepClock(int seconds);
  // The date and time pickers of Panel2.
  void SetPickers(double dayCount);
  QString ClockText(double clock) const;
  void SetSpeedBar(float position);
  void SetPlaying(bool on);
  void ShowPage(int page);
  void ReloadInMode(bool corrected);
  // Memo10, "CT(Corrected Time) Mode", over the map of a corrected-time race.
  void ShowCorrectedTimeBanner();
  void BuildSmallScreenBar();
  void ClearFormWhite();
  void RedrawAfterResize();
  void WaitMilliseconds(int ms);

  Services services_;
  RaceSession session_;
  RenderState rs_;
  QString documentsFolder_;
  bool loading_ = false;
  bool inFrame_ = false;
  bool inSplash_ = false;
  bool inTick_ = false;
  bool hintsOn_ = true;  // the tips switch
  int HintLeft = 0, HintTop = 0;
  bool closing_ = false;
  bool endRequested_ = false;
  bool raceReady_ = false;
  bool hasCover_ = false;
  bool overTimeBar_ = false;
  bool inBoard_ = false;  // the final board's hold
  int loads_ = 0;         // races loaded, to see a load that happened inside a wait
  bool classPanelFits_ = false;
  int screenHeight_ = 0;
  int boatListMinHeight_ = 0;
  QString helpPageJa_, helpPageEn_;
  bool helpExists_ = false;  // looked up once per load
  TimeBarGeometry timeBar_;
  QImage canvas_;
  QImage mapBitmap_, backgroundBitmap_, highlightBitmap_, graphBitmap_;
  GraphGeometry graphGeometry_;    // of the graph page last drawn
  std::array<Figure, 3> figures_;  // of the analysis page last drawn

  // Cover.
  QFrame* pnlSPLITE = nullptr;
  QLabel* Image2 = nullptr;
  QLabel* Image3 = nullptr;
  QLabel* memo4 = nullptr;
  QLabel* memo5 = nullptr;
  QLabel* Memo7 = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QLabel* coverNotice_ = nullptr;

  // Logo and overview.
  QFrame* pnlLOGO = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* Memo1 = nullptr;
  QLabel* imgLOGO = nullptr;
  QLabel* Memo14 = nullptr;
  QFrame* Shape1 = nullptr;  // the main map's view on the overview: top, left, bottom, right
  QFrame* Shape2 = nullptr;
  QFrame* Shape3 = nullptr;
  QFrame* Shape4 = nullptr;
  std::vector<QWidget*> boatMarkers_;  // [boat], 0 unused

  // Boat list.
  QFrame* pnlBOATlist = nullptr;
  QLabel* Label1 = nullptr;
  std::vector<QCheckBox*> classBoxes_, boatBoxes_;  // [class], [boat]; 0 unused

  // Control panel.
  QFrame* pnlCTRL = nullptr;
  QLabel* Label5 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QCheckBox* chkAutoNext = nullptr;
  QLabel* Label12 = nullptr;
  QLabel* Label14 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button4 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QRadioButton* RadioButton1 = nullptr;
  QRadioButton* RadioButton2 = nullptr;
  QRadioButton* RadioButton3 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QRadioButton* RadioN = nullptr;
  QRadioButton* RadioW = nullptr;
  QFrame* pnlDIR = nullptr;
  QLabel* up_t = nullptr;
  QLabel* up_f = nullptr;
  QLabel* stop_t = nullptr;
  QLabel* stop_f = nullptr;
  QLabel* dn_t = nullptr;
  QLabel* dn_f = nullptr;
  QLabel* plus = nullptr;
  QLabel* minus = nullptr;
  QGroupBox* GroupBox4 = nullptr;
  QCheckBox* CheckBox3 = nullptr;
  QScrollBar* ScrollBar3 = nullptr;
  QLabel* Label3 = nullptr;
  QScrollBar* ScrollBar2 = nullptr;
  QLabel* usa = nullptr;
  QLabel* jpn = nullptr;
  QLabel* Label2 = nullptr;
  QScrollBar* ScrollBar1 = nullptr;
  QLabel* Memo2 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* chkLL = nullptr;
  QCheckBox* ChkRefLine = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QCheckBox* ChkBigBoat = nullptr;
  QCheckBox* CheckBox4 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button2 = nullptr;
  QListWidget* ListBox1 = nullptr;

  // Time bar.
  QFrame* pnlTimeBar = nullptr;
  QLabel* BackTimeBar = nullptr;
  QLabel* TimeBar = nullptr;
  QLabel* TimePointer = nullptr;

  // Panels over the map.
  QFrame* pnlFLAG = nullptr;
  QLabel* blue_p = nullptr;
  QLabel* kwlogo = nullptr;
  QFrame* pnlCT = nullptr;
  QRadioButton* RadioButton10 = nullptr;
  QRadioButton* RadioButton11 = nullptr;
  QFrame* pnlScore = nullptr;
  QLabel* Image5 = nullptr;
  QLabel* Image6 = nullptr;  // the final board
  QFrame* pnlScore2 = nullptr;
  QLabel* Image4 = nullptr;
  QFrame* Panel1 = nullptr;
  QLabel* compasst = nullptr;
  QLabel* Memo3 = nullptr;
  QFrame* Panel2 = nullptr;
  QDateEdit* DateTimePicker1 = nullptr;
  QTimeEdit* DateTimePicker2 = nullptr;
  QPushButton* Button6 = nullptr;
  QPushButton* Button10 = nullptr;
  QPushButton* btnStopWatch = nullptr;
  QPushButton* btnExcell = nullptr;
  QPushButton* btnSaveEx = nullptr;
  QFrame* pnlEDIT1 = nullptr;
  QFrame* pnlEDIT2 = nullptr;
  QLabel* Memo6 = nullptr;
  QLabel* Memo8 = nullptr;
  QLabel* Memo10 = nullptr;
  QLabel* Memo11 = nullptr;
  QLabel* Memo12 = nullptr;
  QLabel* Memo13 = nullptr;
  QLabel* hintbox = nullptr;
  // The small-screen size bar.
  QFrame* pnlUsize = nullptr;
  QRadioButton* RadioButton4 = nullptr;
  QRadioButton* RadioButton5 = nullptr;
  QRadioButton* RadioButton6 = nullptr;
  QRadioButton* RadioButton7 = nullptr;
  QRadioButton* RadioButton8 = nullptr;
  QComboBox* ComboBox2 = nullptr;
  QComboBox* ComboBox3 = nullptr;

  QTimer* Timer1 = nullptr;
  QTimer* Timer2 = nullptr;
  QTimer* Timer3 = nullptr;

  // --- Both languages, tips, help and logo; the remaining commands of the control panel
  // (screenshot, retouch, jumps, attachments, Google Earth, the result panels stepping aside).
 public:
  // Every caption of the caption table in the language of `Language`.
  void ApplyLanguage();
  void jpnClick();
  void usaClick();
  void chkHintClick();
  void btnHELPClick();
  void Label12Click();
  void imgLOGOClick();
  // The tip of one control (`pointer` on that control, for the tips that follow it). A tip
  // that waits for tips switched on hides the box instead. True when a tip is shown.
  bool ShowTip(TipId id, QPoint pointer = QPoint());
  void Button5Click();
  void Button6Click();
  void Button10Click();
  void button2Click();
  void ListBox1Click();
  void Button3MouseDown(Qt::MouseButton button);
  void pnlScoreMouseMove();
  void pnlScore2MouseMove();
  // The system's locale decides the language at each load; tests set it here.
  void SetJapaneseLocale(bool on) { japaneseLocale_ = on; }

 private:
  class CommandEvents;
  friend class CommandEvents;
  void BuildCommandControls();
  bool CommandPress(QObject* watched, Qt::MouseButton button);
  bool CommandHover(QObject* watched, QPoint pointer);
  // `image` as BMP replacing `path` whole, then opened; a failed write is shown with the
  // file's name and nothing is opened.
  bool SaveImageAndOpen(const QImage& image, const QString& path);
  // The frame at `clock`, the clock's date and time in Memo1 and as the time last shown.
  void ShowClockAt(double clock);
  // Opens the first of the data folder's pages that exists; false when neither does.
  bool OpenDataPage(const QString& first, const QString& second);
  QRect FormRectOf(const char* name) const;
  // The tip box's size that shows `text` whole in its font.
  QSize HintTextSize(const QString& text) const;
  static bool SystemLocaleIsJapanese();
  bool japaneseLocale_ = SystemLocaleIsJapanese();
  QPushButton* btnHELP = nullptr;
  QPushButton* Button5 = nullptr;
  QCheckBox* chkHint = nullptr;
  QLabel* Label13 = nullptr;
  QString SelectedAttachment;
  bool HideUnfocusedInKml = false;

  // ---- Hands on the map: the pointer and keys over the maps, the boat and class focus lists,
  // course editing and leaving (tform1_pointer.cpp, tform1_focus.cpp, tform1_edit.cpp,
  // tform1_leave.cpp).
 public:
  // State of the pointer tools and of the course editor.
  struct HandsOnState {
    int ShiftHeld = 0;
    // The range-and-bearing base point; none: BaseLat -6000 and BaseLon -12000, or 0 at start.
    double BaseLat = 0, BaseLon = 0;
    int BasePixelX = 0, BasePixelY = 0;
    // Mark or line nearest to the pointer while Shift is held in course editing; 0 for none.
    int NearestMark = 0, NearestLine = 0;
    // What an editing click does: 0 nothing, 1 marks, 2 first end of a line, 3 its second
    // end, 4 course sequence, 5 wind samples on the graph page.
    int EditStep = 0;
    int LastListMouseX = -1, LastListMouseY = -1;
    bool HasWindPoint = false;  // the wind samples drawn so far end at LastWindPoint
    QPoint LastWindPoint;
  };
  const HandsOnState& handsOn() const { return ho_; }
  const QImage& graphBitmap() const { return graphBitmap_; }

  void FormMouseMove(Qt::KeyboardModifiers modifiers, int x, int y);
  void FormMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  void Image1MouseDown(Qt::MouseButton button, int x, int y);
  void FormKeyDown(int key, bool autoRepeat = false);
  void FormKeyUp(int key);

  void sBoatMouseDown(int boat, Qt::MouseButton button, bool shift);
  void sboatMouseMove(int boat, int x, int y);
  void clsMouseup(int cls, Qt::MouseButton button);
  void clsMouseMove(int cls);
  void Label1MouseDown();
  void Label1MouseMove();
  void Label1MouseUp();
  void pnlBOATlistMouseMove();
  void pnlLOGOMouseMove();
  void CheckPanelRoom();
  // After a change of focus: the count of boats out of focus (when `recount`), then the page
  // shown drawn again.
  void RedrawFocus(bool recount);

  void RefreshEditPanel();
  void optMKClick();
  void optLINEClick();
  void RadioButton9Click();
  void Button7Click();
  void Button8Click();
  void Button9Click();
  void CheckBox5Click(bool checked);
  void Edit4Change();
  void UpDown1Changing(int position);

  void Button1Click();
  // The window's close: false keeps it open (the course could not be saved).
  bool FormClose();

 protected:
  void mousePressEvent(QMouseEvent*) override;
  void showEvent(QShowEvent*) override;

 private:
  void BuildHandsOn();
  // After a race has loaded: the editing panel filled, the tools' leftovers forgotten.
  void HandsOnAfterLoad();
  void BuildEditPanels();
  void WireFocusBoxes();
  // Events of the maps, the boat list and the window's keys; true when consumed.
  bool HandsOnEvent(QObject* watched, QEvent* event);
  // No child widget lies under `pos`: the form itself, the map, is under the pointer.
  bool OwnsPoint(QPoint pos) const;
  bool StillMapShown() const;
  // The still map's background built again, and the frame at RaceClock over it.
  void RedrawStillMap();
  // The frame at RaceClock over the still map's background (or its highlight).
  void RedrawStillFrame();
  void SetHoverBoat(int boat);
  void ApplyHoverZones(int x, int y);
  void EditingClick(Qt::MouseButton button, double lat, double lon);
  void WindInputClick(int x, int y);
  void DrawWindCursor(int x, int y);
  // pnlEDIT1 and pnlEDIT2 for the page, the map mode and the editing mode.
  void UpdateEditPanels();
  // The race file rewritten (with its backup); a failure is said in a message box and the
  // course stays in memory.
  bool SaveRaceFileOrSay();
  // Before a load replaces an edited course: the rewrite question, and the save when asked
  // for. False when the save failed and the load must not go on.
  bool SettleCourseBeforeLoad();

  HandsOnState ho_;
  QStringList backedUp_;  // race files kept as <name>.bak in this run
  bool saving_ = false;
  bool inClose_ = false;
  QRadioButton* optMK = nullptr;
  QRadioButton* optLINE = nullptr;
  QRadioButton* RadioButton9 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QPushButton* Button7 = nullptr;
  QLabel* Label11 = nullptr;
  QLineEdit* Edit4 = nullptr;
  UpDown* UpDown1 = nullptr;
  QPushButton* Button8 = nullptr;
  QCheckBox* CheckBox5 = nullptr;
  QPushButton* Button9 = nullptr;
};

}  // namespace kw
