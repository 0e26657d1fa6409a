// The rankings over the map: the finish list revealed row by row as boats finish, the class
// rankings, and small screen's final board. Both panels step out of the pointer's way.
//
//   name        what it is
//   pnlScore    the ranking list's panel at the map's right (the board's, over the whole map)
//   Image5      the ranking list, drawn once per race in finish order
//   Image6      the final board of small-screen mode
//   pnlScore2   the class rankings' panel at the map's bottom left
//   Image4      the class rankings
#pragma once

#include <QObject>

class QFrame;
class QImage;
class QLabel;
class QWidget;

namespace kw {

struct FormContext;

class ResultPanels : public QObject {
 public:
  ResultPanels(FormContext& f, QWidget* form);

  // The ranking list of a freshly loaded race, hidden until the first finish.
  void SetRankingList(const QImage& list);
  // A boat finished: one more row of the list, and the class rankings when they fit.
  void RevealFinish(int finishedCount);
  void HideRankings();
  // The board over the whole map, and the list's panel given back afterwards.
  void ShowBoard(const QImage& board);
  void TakeDownBoard();
  bool BoardShown() const;
  // The panels' places for the map's size (the board keeps its place until its hold ends).
  void Place();

  void pnlScoreMouseMove();
  void pnlScore2MouseMove();

  QFrame* pnlScore = nullptr;
  QLabel* Image5 = nullptr;
  QLabel* Image6 = nullptr;
  QFrame* pnlScore2 = nullptr;
  QLabel* Image4 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  FormContext& f_;
};

}  // namespace kw
