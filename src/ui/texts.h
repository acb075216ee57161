// The captions, tooltips and messages of the main window, the loading window,
// the splash and the conversion-method dialog (UTF-8), in one place so that
// every window and test uses the same text.
#pragma once

namespace varno::ui::text {

inline constexpr const char* kMnuView = "表示";
inline constexpr const char* kMnuMap = "変換パラメータ範囲図";
inline constexpr const char* kParFileNone = "読込まれた変換ﾊﾟﾗﾒｰﾀﾌｧｲﾙ： なし";
inline constexpr const char* kFrmData = "入力データ形式";
inline constexpr const char* kOptBl = "緯度 経度";
inline constexpr const char* kOptBlTip = "度分秒(dddmmss.ss)形式";
inline constexpr const char* kOptXy = "平面直角座標";
inline constexpr const char* kOptXyTip = "公共座標系X,Y。単位はメートル。";
inline constexpr const char* kCmdPrint = "印刷";
inline constexpr const char* kCmdPrintTip =
    "既定のﾌﾟﾘﾝﾀに印刷します。ﾌﾟﾘﾝﾀが接続されていないときには押さない方が良いでしょう。";
inline constexpr const char* kCmdClear = "値のクリア";
inline constexpr const char* kCmdClearTip = "入力値，計算値をすべてクリアーします";
inline constexpr const char* kCmdFile = "一括変換";
inline constexpr const char* kCmdFileTip =
    "ﾌｧｲﾙから緯度経度またはXYを読み込み，変換結果をファイルに出力します";
inline constexpr const char* kLabel15 = "座標系の選択";
inline constexpr const char* kLabel17 = "番号  原点緯度  原点経度";
inline constexpr const char* kLblInputName = "変換する座標の名称";
inline constexpr const char* kTxtName = "No Name";
inline constexpr const char* kTxtNameTip = "変換する座標に名称があれば入力してください";
inline constexpr const char* kFraTky = "震災前成果(2000)";
inline constexpr const char* kFraJgd = "震災後成果(2011)";
inline constexpr const char* kFraTkyTip = "震災前成果(2000)です。";
inline constexpr const char* kFraJgdTip = "震災後成果(2011)です";
inline constexpr const char* kFraBL = "経緯度";
inline constexpr const char* kLblLat = "緯度";
inline constexpr const char* kLblLatTip = "度分秒(ddmmss.ss)ﾌｫｰﾏｯﾄ";
inline constexpr const char* kExampleLat = "360503.954";
inline constexpr const char* kExampleLatTip = "例 360503.954";
inline constexpr const char* kLblLon = "経度";
inline constexpr const char* kLblLonTip = "度分秒(dddmmss.ss)ﾌｫｰﾏｯﾄ";
inline constexpr const char* kExampleLon = "1365802.392";
inline constexpr const char* kExampleLonTip = "例 1365802.392";
inline constexpr const char* kFraTkyxy = "平面直角座標（X，Y)";
inline constexpr const char* kFraJgdxy = "平面直角座標（X，Y）";
inline constexpr const char* kLblX = "Ｘ";
inline constexpr const char* kLblXTip = "原点で北方向";
inline constexpr const char* kExampleX = "193524.0771";
inline constexpr const char* kExampleXTip = "例 193524.0771";
inline constexpr const char* kExampleJgdXTip = "例 193873.5324";
inline constexpr const char* kLblMetre = "m";
inline constexpr const char* kLblY = "Y";
inline constexpr const char* kLblYTip = "原点で東方向";
inline constexpr const char* kExampleY = "34235.1330";
inline constexpr const char* kExampleYTip = "例 34235.1330";
inline constexpr const char* kExampleJgdYTip = "例 33953.7444";
inline constexpr const char* kLblConvergence = "真北方向角";
inline constexpr const char* kLblConvergenceTip = "度分秒(dddmmss.sss)ﾌｫｰﾏｯﾄ";
inline constexpr const char* kLblScale = "縮尺係数";
inline constexpr const char* kLblH = "Ｈ";
inline constexpr const char* kExampleH = "123.4560";
inline constexpr const char* kExampleHTip = "例 123.4560";
// The arrow button as assistive technology names it.
inline constexpr const char* kPicCalcName = "座標変換";
inline constexpr const char* kPicCalcTip = "矢印の方向の座標変換を行い，結果を表示します。";
inline constexpr const char* kStatusLine1 = "１．入力データ形式を選択し，";
inline constexpr const char* kStatusLine2 =
    "２．名称, 緯度，経度，または，X, Y及び標高（Ｈ）を入力し，";
inline constexpr const char* kStatusLine3 = "３．「矢印」ボタンを押して変換して下さい。";
inline constexpr const char* kMnuFileMain = "プログラム";
inline constexpr const char* kMnuEnd = "プログラムの終了";
inline constexpr const char* kMnuSettingMain = "設定";
inline constexpr const char* kMnuAdv = "変換方法の変更";
inline constexpr const char* kMnuClear = "値のクリア";
inline constexpr const char* kMnuPrinter = "プリンタ";
inline constexpr const char* kMnuIkkatsu = "一括変換";
inline constexpr const char* kCaptionVer = "    Ver.";
inline constexpr const char* kCaptionTail = "     Veltra区";
inline constexpr const char* kKeyNotLatLon =
    "入力エラー，「平面直角座標」を選択して，緯度，経度を入れないで下さい";
inline constexpr const char* kKeyAccepted = "正しい入力文字です";
inline constexpr const char* kKeyRejected = "入力エラー，半角数字だけ入れて下さい";
inline constexpr const char* kNoInputXy = "入力値がないので変換できません。X，Yを入力して下さい。";
inline constexpr const char* kBadInputXy =
    "入力値が異常なので変換できません。正しい座標を入力して下さい。";
inline constexpr const char* kNoParamsXy =
    "「地域毎の変換ﾊﾟﾗﾒｰﾀ」がなかったので，変換しませんでした。もし，「代表点による変換」をしたい場"
    "合は，「設定」の「変換方法の選択」から「すべて『代表点』で変換する」を選んで下さい。";
inline constexpr const char* kNoInputBl =
    "入力値がないので変換できません。緯度，経度を入力して下さい。";
inline constexpr const char* kBadInputBl =
    "入力値が異常なので変換できません。正しい緯度，経度を入力して下さい。";
inline constexpr const char* kNoParamsBl =
    "「地域毎の変換ﾊﾟﾗﾒｰﾀ」がなかったので，変換しませんでした。もし，「代表点による変換」をしたい場"
    "合は，「高度な変換」の「変換方法の選択」から「すべて『代表点』で変換する」を選んで下さい。";
inline constexpr const char* kMissing = "-9999.";
inline constexpr const char* kCheckInputTail =
    " 入力データの形式や大きさを再度チェックして下さい。";
inline constexpr const char* kLatZonePrefix = "緯度は座標系 ";
inline constexpr const char* kZoneTail = " 系の範囲です。入力し直して下さい。in doCalcBl2xy";
inline constexpr const char* kLonZonePrefix = "経度は座標系 ";
inline constexpr const char* kLatGeneral =
    "緯度は 23～46 の範囲です。入力し直して下さい。in doCalcBl2xy";
inline constexpr const char* kLonGeneral =
    "経度は 122～146 の範囲です。入力し直して下さい。in doCalcBl2xy";
inline constexpr const char* kBl2xyOverflow =
    "入力された緯度，経度の値に問題があります。計算は行いません。 in doCalcBl2xy";
inline constexpr const char* kBl2xyError =
    "入力された緯度，経度の値に問題があると思われます。計算は行いません。 in doCalcBl2xy";
inline constexpr const char* kNotSettled = "近似緯度を求めるのに収束しません。";
inline constexpr const char* kXy2blOverflow =
    "入力されたX,Yの値に問題があります。計算は行いません。 in doCalcXy2bl";
inline constexpr const char* kXy2blError =
    "入力されたX,Yの値に問題があると思われます。計算は行いません。 in doCalcXy2bl";
inline constexpr const char* kParaFileCaption = "変換ﾊﾟﾗﾒｰﾀﾌｧｲﾙ";
inline constexpr const char* kCmdBreak = "読み込み中止";
inline constexpr const char* kCmdBreakTip =
    "ﾊﾟﾗﾒｰﾀﾌｧｲﾙ読み込みを中止します。ﾊﾟﾗﾒｰﾀを読み込まないとﾌﾟﾛｸﾞﾗﾑは使用できません。";
inline constexpr const char* kCmdCloseLoad = "閉じる";
inline constexpr const char* kLoadStatusInitial = "Status:";
inline constexpr const char* kOpenFail1 = "変換パラメータファイルが開けません。";
inline constexpr const char* kOpenFail2 =
    "座標変換プログラム.exeと同一のﾌｫﾙﾀﾞにこのﾌｧｲﾙが必要です。";
inline constexpr const char* kOpenedPrefix = "開いた入力ファイルは";
inline constexpr const char* kOpenedSuffix = "です。";
inline constexpr const char* kParFilePrefix = "読込まれた変換ﾊﾟﾗﾒｰﾀﾌｧｲﾙ： ";
inline constexpr const char* kParFileVer = "    ver.";
inline constexpr const char* kLoadCancelled = "ﾊﾟﾗﾒｰﾀﾌｧｲﾙの読み込みは中止しました";
inline constexpr const char* kParFileNoneAscii = "読込まれた変換ﾊﾟﾗﾒｰﾀﾌｧｲﾙ: なし";
inline constexpr const char* kAdvCaption = "変換方法の変更";
inline constexpr const char* kFrm0 = "変換方法の選択";
inline constexpr const char* kAdvOk = "OK";
inline constexpr const char* kAdvOkTip = "閉じます";
inline constexpr const char* kOptR3a = "「任意ﾊﾟﾗﾒｰﾀ」で変換する。そのﾊﾟﾗﾒｰﾀが";
inline constexpr const char* kOptR3b = "ない所は「代表点」で変換する。";
inline constexpr const char* kOptRa = "「任意ﾊﾟﾗﾒｰﾀ」で変換する。";
inline constexpr const char* kOptRb = "そのﾊﾟﾗﾒｰﾀがない所は変換しない。";
inline constexpr const char* kOpt3 = "すべて「代表点」で変換する。";
inline constexpr const char* kFrame1Tip = "このプログラムは測地成果の変換プログラムの一つです。";

}  // namespace varno::ui::text
