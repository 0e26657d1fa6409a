// What the parts of the main form share: the platform services, the loaded race, the display
// switches, the window's own state, and a typed pointer to every part, so that a handler on
// one part reaches another part's widgets by name of member, never by a string.
#pragma once

#include <QString>

#include "app/qt_services.h"
#include "app/widget_index.h"
#include "app/window_state.h"
#include "session/session.h"
#include "view/render_state.h"

namespace kw {

class TForm1;
class MapCanvas;
class ReplayController;
class LoadingCover;
class LogoPanel;
class BoatList;
class ControlPanel;
class TimeBarPanel;
class MapPanels;
class ResultPanels;
class JumpPanel;
class SmallScreenBar;
class EditPanels;
class HintBox;
class InsightPart;

struct FormContext {
  Services services;
  RaceSession session;
  RenderState rs;
  WindowState ws;
  QString documentsFolder;
  WidgetIndex named;  // the widgets the name tables refer to

  // The parts, created once by the form, bottom of the window first.
  TForm1* form = nullptr;
  MapCanvas* canvas = nullptr;
  ReplayController* replay = nullptr;
  LogoPanel* logo = nullptr;
  BoatList* boats = nullptr;
  ControlPanel* controls = nullptr;
  TimeBarPanel* timeBar = nullptr;
  MapPanels* panels = nullptr;
  ResultPanels* results = nullptr;
  JumpPanel* jump = nullptr;
  EditPanels* edit = nullptr;
  SmallScreenBar* small = nullptr;
  HintBox* tips = nullptr;
  LoadingCover* cover = nullptr;
  InsightPart* insight = nullptr;
};

}  // namespace kw
