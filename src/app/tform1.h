// The main form (Form1): it composes the window's parts, runs the loading sequence with them
// and lays them out. Each part owns its widgets and their handlers:
//
//   part               widgets (given names)                  file
//   MapCanvas          the canvas under everything            map_canvas.h
//   ReplayController   Timer1, Timer2, Timer3, HoldTimer      replay_controller.h
//   LogoPanel          pnlLOGO: overview, clock, logo, help   logo_panel.h
//   BoatList           pnlBOATlist: class and boat boxes      boat_list.h
//   ControlPanel       pnlCTRL: race, page, play, switches    control_panel.h
//   TimeBarPanel       pnlTimeBar                             time_bar_panel.h
//   MapPanels          pnlFLAG, pnlCT, Panel1, stopwatch ...  map_panels.h
//   ResultPanels       pnlScore, pnlScore2                    result_panels.h
//   JumpPanel          Panel2                                 jump_panel.h
//   EditPanels         pnlEDIT1, pnlEDIT2                     edit_panels.h
//   SmallScreenBar     pnlUsize, Memo11..13                   small_screen_bar.h
//   HintBox            hintbox                                hint_box.h
//   InsightPart        chkManoeuvres, btnKeepWind             insight_part.h
//   LoadingCover       pnlSPLITE                              loading_cover.h
// The state they share is the FormContext (form_context.h): services, the race session, the
// display switches and the window's own state.
#pragma once

#include <QWidget>

#include "app/form_context.h"

namespace kw {

struct TimeBarGeometry;

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // `programFolder` is the data folder (ending in '/'); `documentsFolder` where exports go.
  TForm1(const Services& services, const QString& programFolder, const QString& documentsFolder,
         QWidget* parent = nullptr);
  ~TForm1() override;

  // Builds the catalogue, chooses the race file and loads it.
  void FormCreate();
  // The loading sequence; does nothing while a load runs or after the window closed.
  void LoadRace();
  // Lays out every part for the current size.
  void LayoutWindow();
  // The overview, the compass card and the wind strip for the loaded race and orientation.
  void RebuildViewPictures();
  // A line shown on the loading cover until the first race has been shown (the first run's
  // copy of the demo races, or why it failed); empty for none.
  void SetCoverNotice(const QString& text);
  // The window's close: false keeps it open (the course could not be saved).
  bool FormClose();
  // The system's locale decides the language at each load; tests set it here.
  void SetJapaneseLocale(bool on) { f_.ws.JapaneseLocale = on; }

  // The parts.
  MapCanvas& mapCanvas() { return *f_.canvas; }
  ReplayController& replay() { return *f_.replay; }
  LogoPanel& logoPanel() { return *f_.logo; }
  BoatList& boatList() { return *f_.boats; }
  ControlPanel& controlPanel() { return *f_.controls; }
  TimeBarPanel& timeBar() { return *f_.timeBar; }
  MapPanels& mapPanels() { return *f_.panels; }
  ResultPanels& resultPanels() { return *f_.results; }
  JumpPanel& jumpPanel() { return *f_.jump; }
  EditPanels& editPanels() { return *f_.edit; }
  SmallScreenBar& smallScreen() { return *f_.small; }
  HintBox& hintBox() { return *f_.tips; }
  InsightPart& insight() { return *f_.insight; }
  LoadingCover& cover() { return *f_.cover; }
  // The widgets the caption, tip and place tables name.
  const WidgetIndex& named() const { return f_.named; }

  // The state.
  RaceSession& session() { return f_.session; }
  RenderState& renderState() { return f_.rs; }
  WindowState& windowState() { return f_.ws; }
  const HandsOnState& handsOn() const { return f_.ws.HandsOn; }
  const QImage& canvas() const;
  const QImage& mapBitmap() const;
  const QImage& graphBitmap() const;
  const TimeBarGeometry& timeBarGeometry() const;
  bool loading() const;
  // The window was closed (possibly while the first race was still loading).
  bool closed() const;
  // A race is loaded completely and can be replayed.
  bool raceReady() const { return f_.ws.RaceReady; }
  // Set when the program asked to end (no boats to show).
  bool endRequested() const { return f_.ws.EndRequested; }

 signals:
  void programEnd();

 protected:
  // Moves, presses and turns of the wheel that the panels let through to the form.
  void mouseMoveEvent(QMouseEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void closeEvent(QCloseEvent*) override;
  void showEvent(QShowEvent*) override;

 private:
  class Hooks;
  friend class Hooks;

  // The parts lie in the order of the window's design, the canvas below all of them.
  void StackParts();
  void SetUpView();
  void ApplyRaceFileControls();
  void FreeRaceControls();

  FormContext f_;
};

}  // namespace kw
