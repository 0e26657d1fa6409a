// What the window keeps between events that no lower layer needs: the page and the language
// shown, the tips, the splash, the time bar's drag, the boat list's sizes, the pointer tools and
// the course editor's step. Plain data; the parts of the form read and write it.
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

namespace kw {

// State of the pointer tools over the maps and of the course editor.
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

struct WindowState {
  int Page = 1;  // 1 Track, 2 Graph, 3 Anlys
  // 0 Japanese, 1 English chosen by the flag, 2 English on a non-Japanese system.
  int Language = 2;
  // The system's locale decides the language at every load.
  bool JapaneseLocale = false;
  bool HintsOn = true;  // the tips switch
  int HintLeft = 0, HintTop = 0;

  bool RaceReady = false;     // a race is loaded completely and can be replayed
  bool EndRequested = false;  // the program asked to end (no boats to show)
  int Loads = 0;              // loads started, to see a load that happened inside a question

  // The splash: the tick count when track loading began, and whether the cover has gone.
  long long SplashStart = 0;
  bool SplashDone = true;

  // The time bar: the pointer is over it; clock values at the right button's press and
  // release, and the press row (-1 for none).
  bool OverTimeBar = false;
  double DragFrom = 0, DragTo = 0;
  int DragStartY = -1;

  // The boat list: rows of the two columns, the class panel's height and the least height the
  // list needs, for the loaded race.
  int BoatListRows = 0, ClassPanelHeight = 0, BoatListMinHeight = 0;
  bool ClassPanelFits = false;
  int ScreenHeight = 0;

  bool HasCover = false;    // raceadmin/cover.jpg was found
  bool HelpExists = false;  // looked up once per load

  QString SelectedAttachment;
  bool HideUnfocusedInKml = false;

  HandsOnState HandsOn;
  QStringList BackedUp;  // race and wind files kept as <name>.bak in this run
};

}  // namespace kw
