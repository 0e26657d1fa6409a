// The main form. Handlers are thin: they call the core and update widgets.
#pragma once

#include <QImage>
#include <QWidget>

#include "app/qt_services.h"
#include "race/loader.h"
#include "race/session.h"

class QLabel;
class QFrame;
class QComboBox;
class QRadioButton;
class QPushButton;
class QScrollBar;
class QCheckBox;
class QTimer;

namespace kw {

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

  RaceSession& session() { return session_; }
  bool loading() const { return loading_; }
  const QImage& canvas() const { return canvas_; }
  // Set when the program asked to end (no boats to show).
  bool endRequested() const { return endRequested_; }

 signals:
  void programEnd();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void closeEvent(QCloseEvent*) override;

 private:
  class Hooks;
  friend class Hooks;

  void BuildControls();
  void LayOutCover();
  void ShowProgress(int i, int n, const QString& text);
  void ApplyRaceFileControls();
  void ShowCaptions();
  void RedrawMapArea();
  void GeneralError(const QString& text);

  Services services_;
  RaceSession session_;
  QString documentsFolder_;
  bool loading_ = false;
  bool closing_ = false;
  bool endRequested_ = false;
  bool hasCover_ = false;
  QImage canvas_;

  QFrame* pnlSPLITE = nullptr;
  QLabel* Image2 = nullptr;
  QLabel* Image3 = nullptr;
  QLabel* memo4 = nullptr;
  QLabel* memo5 = nullptr;
  QLabel* Memo7 = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QLabel* hintbox = nullptr;
  QFrame* pnlCTRL = nullptr;
  QFrame* pnlCT = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* Button2 = nullptr;
  QRadioButton* RadioButton10 = nullptr;
  QRadioButton* RadioButton11 = nullptr;
  QRadioButton* RadioW = nullptr;
  QRadioButton* RadioN = nullptr;
  QRadioButton* RadioButton1 = nullptr;
  QScrollBar* ScrollBar1 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QCheckBox* CheckBox3 = nullptr;
  QCheckBox* CheckBox4 = nullptr;
  QCheckBox* chkAutoNext = nullptr;
  QTimer* Timer1 = nullptr;
  QTimer* Timer2 = nullptr;
  QTimer* Timer3 = nullptr;
};

}  // namespace kw
