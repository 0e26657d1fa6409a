#include "view/language_texts.h"

#include <algorithm>

namespace kw {

namespace {

QString Spaces(int n) {
  return QString(n, QLatin1Char(' '));
}

// The boat list's heading: one "Boat Name" over each of its two columns.
QString BoatListHeading(bool japanese) {
  if (!japanese)
    return Spaces(5) + QStringLiteral("Boat Name") + Spaces(22) + QStringLiteral("Boat Name") +
           Spaces(32);
  const QString name = QStringLiteral("艇\u3000名");
  return Spaces(7) + name + Spaces(10) + QStringLiteral("\u3000") + Spaces(11) + name + Spaces(40);
}

}  // namespace

const std::vector<CaptionRow>& CaptionTable() {
  static const std::vector<CaptionRow> rows = {
      {"Label1", BoatListHeading(false), BoatListHeading(true)},
      {"Label5", QStringLiteral("Race File Name"), QStringLiteral(" レースファイル名")},
      {"GroupBox1", QStringLiteral("Orientation"), QStringLiteral("表示方位")},
      {"RadioN", QStringLiteral("NorthWd"), QStringLiteral("北が上")},
      {"RadioW", QStringLiteral("WindWd"), QStringLiteral("風向")},
      {"chkAutoNext", QStringLiteral("AutoNext"), QStringLiteral("自動切換")},
      {"Button4", QStringLiteral("SHOW"), QStringLiteral("表示")},
      {"RadioButton1", QStringLiteral("Track"), QStringLiteral("軌跡")},
      {"RadioButton2", QStringLiteral("Graph"), QStringLiteral("ｸﾞﾗﾌ")},
      {"RadioButton3", QStringLiteral("Anlss"), QStringLiteral("解析")},
      {"CheckBox1", QStringLiteral("Auto Trace"), QStringLiteral("軌跡追尾")},
      {"chkLL", QStringLiteral("Layline"), QStringLiteral("レイライン")},
      {"ChkRefLine", QStringLiteral("Comp Ht"), QStringLiteral("比較線")},
      {"CheckBox2", QStringLiteral("Boat Name"), QStringLiteral("艇名表示")},
      {"ChkBigBoat", QStringLiteral("Boat Size"), QStringLiteral("艇拡大")},
      {"CheckBox4", QStringLiteral("Small Scr"), QStringLiteral("小画面")},
      {"chkHint", QStringLiteral("Tips"), QStringLiteral("操作説明")},
      {"Button2", QStringLiteral("Attachment"), QStringLiteral("添付資料表示")},
      {"Button5", QStringLiteral("Retouch"), QStringLiteral("画像処理")},
      {"chkManoeuvres", QStringLiteral("Manoeuvres"), QStringLiteral("マニューバ")},
      {"btnKeepWind", QStringLiteral("Keep Est. Wind"), QStringLiteral("推定風を保存")},
  };
  return rows;
}

const std::vector<TipSpec>& TipTable() {
  static const std::vector<TipSpec> tips = {
      {TipId::AutoNext, "chkAutoNext", nullptr, false, QStringLiteral("Auto changer on/off"),
       QStringLiteral("ファイルを順次自動切換えします"), 180, 220, 16},
      {TipId::Show, "Button4", nullptr, false,
       QStringLiteral("Choose race file at left box\nthen click here to show it."),
       QStringLiteral("左のボックスでレースを選び\nこのボタンでそれを表示します"), 180, 180, 32},
      {TipId::BigBoat, "ChkBigBoat", nullptr, false, QStringLiteral("Enlarge Disp Boat Size"),
       QStringLiteral("艇の表示サイズを拡大/縮小します"), 220, 220, 20},
      {TipId::SmallScreen, "CheckBox4", "ChkBigBoat", false,
       QStringLiteral("Show Small Map to Make Movie"),
       QStringLiteral("動画作成用に小サイズ画面表示"), 200, 190, 20},
      {TipId::PageTrack, "RadioButton1", nullptr, true, QStringLiteral("Show Boat Tracks"),
       QStringLiteral("ボートの航跡を表示します"), 150, 150, 18},
      {TipId::PageAnalysis, "RadioButton3", nullptr, true, QStringLiteral("Sailing Data Analisys"),
       QStringLiteral("帆走データを解析します"), 200, 200, 18},
      {TipId::OverviewSmall, "Image1", nullptr, false,
       QStringLiteral("Click to ON/OFF small map on main map\n"),
       QStringLiteral("クリックで小地図をON/OFF\n"), 250, 220, 20},
      {TipId::OverviewStill, "Image1", nullptr, false,
       QStringLiteral("Click to move center of map"),
       QStringLiteral("地図の中心をクリック地点に移動"), 250, 220, 20},
      {TipId::WindStrip, "PnlWindGr", nullptr, true,
       QStringLiteral("TWD graph can be ON/OFF when click map."),
       QStringLiteral("地図画面をクリックすると風向グラフ表示をON/OFFできます"), 300, 350, 20},
      {TipId::GoogleEarth, "Button3", nullptr, true,
       QStringLiteral("    Show Google Earth\nLeft Button => All Race\n"
                      "Right Button => Present Scene\n(△Button to Restart)"),
       QStringLiteral("  Google Earthを表示します\n左ｸﾘｯｸ → 全レース\n"
                      "右ｸﾘｯｸ → 現在表示中のシーン\n(再開するには△ボタンを押してください)"),
       190, 250, 60},
      {TipId::Help, "btnHELP", nullptr, true, QStringLiteral("    Show Help"),
       QStringLiteral("  HELPを表示します"), 150, 150, 20},
      {TipId::HelpLabel, "Label12", nullptr, false, QStringLiteral("SHOW HELP"),
       QStringLiteral("SHOW HELP"), 80, 80, 18},
      {TipId::Screenshot, "Label14", "Label12", false, QStringLiteral("<s> to show ScreenShot"),
       QStringLiteral("<s> to show ScreenShot"), 155, 155, 18},
      {TipId::Logo, "imgLOGO", nullptr, false, QString(), QString(), 160, 160, 100},
      {TipId::Manoeuvres, "chkManoeuvres", nullptr, false,
       QStringLiteral("Marks every tack, gybe, mark rounding\nand penalty turn on the tracks;\n"
                      "rest the pointer on a mark: what it cost"),
       QStringLiteral("タック・ジャイブ・マーク回航・\nペナルティターンを航跡に表示します\n"
                      "印にポインタを置くと損失を表示します"),
       240, 250, 48},
      {TipId::KeepWind, "btnKeepWind", nullptr, true,
       QStringLiteral("Keeps the wind estimated from the boats'\ntacks and gybes (dashed) as "
                      "this race's\nwind file: winddat/<race>_wind.csv"),
       QStringLiteral(
           "各艇のタック・ジャイブから推定した風向\n（破線）をこのレースの風データとして\n"
           "保存します: winddat/<レース>_wind.csv"),
       270, 280, 48},
  };
  return tips;
}

const TipSpec& Tip(TipId id) {
  for (const TipSpec& t : TipTable())
    if (t.id == id) return t;
  return TipTable().front();
}

QString LogoTipText(int language, const QString& aboutAddress) {
  const QString nl = QStringLiteral("\n");
  QString text = nl + QStringLiteral("<keelway>") + nl + QStringLiteral("yacht racing browser") +
                 nl + nl + QStringLiteral("Free software for race replay") + nl + nl +
                 QStringLiteral("keelway developers") + nl + nl;
  if (IsJapanese(language))
    text += QStringLiteral("<ｸﾘｯｸ=>") + aboutAddress + QStringLiteral("にﾘﾝｸ>");
  else
    text += QStringLiteral("<link to ") + aboutAddress + QStringLiteral(">");
  return text;
}

TipBox PlaceTip(TipId id, int language, const TipPlaceInput& in, const QString& aboutAddress,
                QSize fit) {
  const TipSpec& t = Tip(id);
  const bool ja = IsJapanese(language);
  TipBox box;
  box.text = id == TipId::Logo ? LogoTipText(language, aboutAddress) : ja ? t.japanese : t.english;
  const int w = std::max(ja ? t.widthJapanese : t.widthEnglish, fit.width());
  const int h = std::max(t.height, fit.height());
  const QRect& c = in.control;
  QPoint at;
  switch (id) {
    case TipId::AutoNext:
      at = {c.left() + c.width() - w, c.top() - 21};
      break;
    case TipId::Show:
      at = {c.left() + c.width() - w, c.top() - 37};
      break;
    case TipId::BigBoat:
      at = {c.left() - 225, c.top()};
      break;
    case TipId::SmallScreen:
      at = {in.reference.left() - w - 5, c.top()};
      break;
    case TipId::PageTrack:
      at = {in.mapWidth - 155, c.top()};
      break;
    case TipId::PageAnalysis:
      at = {in.mapWidth - 205, c.top()};
      break;
    case TipId::OverviewSmall:
      at = {in.logoLeft, in.overviewHeight + 5};
      break;
    case TipId::OverviewStill:
      at = {in.pointer.x() + in.logoLeft - w - 5, in.pointer.y() + 5};
      break;
    case TipId::HelpLabel:
      at = {c.left() + c.width() - w, c.top() - 23};
      break;
    case TipId::Screenshot:
      at = {in.reference.left() + in.reference.width() - w, in.reference.top() - 23};
      break;
    case TipId::GoogleEarth:
    case TipId::Help:
    case TipId::Logo:
      // Beside the control, on the map's side.
      at = {c.left() - w - 5, c.top()};
      break;
    case TipId::WindStrip:
      // Beside the strip, over the open map.
      at = {c.left() + c.width() + 5, c.top()};
      break;
    case TipId::Manoeuvres:
      // Beside the switch on the map's side, its foot level with the switch's.
      at = {c.left() - w - 5, c.top() + c.height() - h};
      break;
    case TipId::KeepWind:
      // Under the command, right edges meeting.
      at = {c.left() + c.width() - w, c.top() + c.height() + 5};
      break;
  }
  box.rect = QRect(at, QSize(w, h));
  return box;
}

QString HelpPage(int language, bool otherLanguage) {
  return IsJapanese(language) != otherLanguage ? QStringLiteral("help/index.html")
                                               : QStringLiteral("help-e/index.html");
}

QString AboutPage(int language, bool otherLanguage) {
  return IsJapanese(language) != otherLanguage ? QStringLiteral("help/about.html")
                                               : QStringLiteral("help-e/about.html");
}

}  // namespace kw
