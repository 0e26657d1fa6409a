#include "view/pointer_tips.h"

#include "race/numbers.h"

namespace kw {

namespace {

bool Japanese(int language) {
  return language < 1;
}

}  // namespace

PointerTip StillMapTip(int language, int editStep, bool editMode) {
  PointerTip t;
  switch (editStep) {
    case 1:
      return {{QStringLiteral("Shifr + Click(L) at Mark Point")}, 170, 17};
    case 2:
      return {{QStringLiteral("Shift + Click(L) at Line Starting Point")}, 210, 17};
    case 3:
      return {{QStringLiteral("Shift + Click(L) at Line End Point")}, 210, 17};
    case 4:
      return {{QStringLiteral("Shift + Click(L) at the Mark or Line")}, 210, 17};
    default:
      break;
  }
  if (Japanese(language)) {
    t.lines = {QStringLiteral("左ｸﾘｯｸでｸﾘｯｸした点を中心に地図が拡大"),
               QStringLiteral("右ｸﾘｯｸで縮小します"), QString()};
    if (!editMode) {
      t.lines << QStringLiteral("Shiftを押している間は距離方位計測ﾓｰﾄﾞになります")
              << QStringLiteral("ｸﾘｯｸすると基点が設定され､マウスを移動すると")
              << QStringLiteral("移動した地点までの距離、方位を表示します");
    } else {
      t.lines << QString();  // the text ends in two line breaks
    }
    t.width = 270;
    t.height = editMode ? 35 : 85;
  } else {
    t.lines = {QStringLiteral("Left Button => Enlarge Map."),
               QStringLiteral("Right Button => Shrink Map"),
               QStringLiteral("(Click point is a center of map)"), QString()};
    if (!editMode) {
      t.lines << QStringLiteral("Shift Key to be Range & Bearing Measuring Mode")
              << QStringLiteral("MouseDown to Set Base Point and Move to")
              << QStringLiteral("Indicate Range and Bearing to New Point");
    } else {
      t.lines << QString();
    }
    t.width = 290;
    t.height = editMode ? 50 : 100;
  }
  return t;
}

PointerTip SpeedWakeTip(int language) {
  if (Japanese(language))
    return {{QStringLiteral("平均速度より速い艇の航跡が赤字で表示されます")}, 270, 20};
  return {{QStringLiteral("Red wake boats are faster than avg boats")}, 270, 20};
}

PointerTip BasePointTip(int language) {
  if (Japanese(language)) return {{QStringLiteral("基点の位置をクリック")}, 180, 17};
  return {{QStringLiteral("Click to set base point")}, 180, 17};
}

QString RangeBearingText(double rangeMetres, double bearingMagnetic) {
  return QStringLiteral("RNG= %1m / BRG= %2deg(M)")
      .arg(RoundInt(rangeMetres))
      .arg(RoundInt(bearingMagnetic));
}

PointerTip BoatEntryTip(int language, const QString& boatName) {
  if (Japanese(language)) {
    return {
        {QStringLiteral("ﾁｪｯｸの入った艇がﾌｫｰｶｽされます。"), QStringLiteral("右ｸﾘｯｸで") + boatName,
         QStringLiteral("のみ残して他全艇のﾌｫｰｶｽを外します。"), QString(),
         QStringLiteral("SHIFT+左ｸﾘｯｸで１艇のみ常時強調表示します"),
         QStringLiteral("(再度SHIFT+左ｸﾘｯｸで強調表示を解除)")},
        250,
        80};
  }
  return {{QStringLiteral("Checked boats are focused."),
           QStringLiteral("Unchecked boats are out of focus."), QString(),
           QStringLiteral("R-Click to focus only ") + boatName},
          280,
          56};
}

PointerTip ClassEntryTip(int language, const QString& className) {
  if (Japanese(language)) {
    return {{QStringLiteral("ﾁｪｯｸの入ったｸﾗｽがﾌｫｰｶｽされます。"),
             QStringLiteral("ﾁｪｯｸを外すとﾌｫｰｶｽが外れます"), QString(),
             QStringLiteral("右ｸﾘｯｸで") + className + QStringLiteral(" ｸﾗｽ"),
             QStringLiteral("のみ残して他全ｸﾗｽのﾌｫｰｶｽを外します。"), QString(), QString()},
            250,
            68};
  }
  return {{QStringLiteral("Checked Class are focused."),
           QStringLiteral("Unchecked Class are out of focus."), QString(),
           QStringLiteral("R-Click to focus only ") + className + QStringLiteral(" Class")},
          280,
          56};
}

PointerTip FocusAllTip(int language) {
  if (Japanese(language)) return {{QStringLiteral("左ｸﾘｯｸで全艇にﾁｪｯｸが入ります")}, 220, 20};
  return {{QStringLiteral("Left Button => Focus All Boats.")}, 220, 20};
}

}  // namespace kw
