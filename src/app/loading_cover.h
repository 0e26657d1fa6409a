// The loading cover: lies over the whole window while a race loads and for the splash after.
//
//   name         caption / what it shows
//   pnlSPLITE    this panel, dark blue, over everything
//   Image2       raceadmin/cover.jpg, centred (nothing when the file is missing)
//   Image3       the progress bar, yellow, filled blue as tracks are read
//   memo4        "LOADING  <file>  (i/n)"
//   memo5        the race's caption (T1), large
//   Memo7        the race's second caption (T2)
//   Label8       "keelway v3.1"
//   Label9       "Powered by"
//   Label10      "keelway developers"
//   CoverNotice  the first run's note on the demo races copied (or why they were not)
#pragma once

#include <QFrame>

class QLabel;

namespace kw {

struct FormContext;

class LoadingCover : public QFrame {
 public:
  LoadingCover(FormContext& f, QWidget* form);

  // The cover picture of the data folder, or none.
  void SetCoverPicture(const QImage& cover);
  // Everything centred for the form's size; the low screen drops the credits.
  void LayOutCover();
  void ShowProgress(int i, int n, const QString& text);
  void ShowCaptions();
  // A line shown until the first race has been shown; empty for none.
  void SetCoverNotice(const QString& text);

  QLabel* Image2 = nullptr;
  QLabel* Image3 = nullptr;
  QLabel* memo4 = nullptr;
  QLabel* memo5 = nullptr;
  QLabel* Memo7 = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QLabel* CoverNotice = nullptr;

 private:
  FormContext& f_;
};

}  // namespace kw
