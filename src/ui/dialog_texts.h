// The captions, tooltips and messages of the batch dialog, the text viewers,
// the file format help window and the printing (UTF-8). Line breaks inside
// messages are CR or CR LF, as the message service expects.
#pragma once

namespace varno::ui::dtext {

// frmFile
inline constexpr const char* kFrmFile = "ﾌｧｲﾙ一括変換";
inline constexpr const char* kFraShori = "1.処理の選択";
inline constexpr const char* kFraShoriTip = "変換前後のデータ形式に応じて選択します";
inline constexpr const char* kOpt1 = "緯度･経度・H → 緯度･経度・X・Y・H";
inline constexpr const char* kOpt2 = "Ｘ･Ｙ・H → Ｘ･Ｙ・H";
inline constexpr const char* kOpt3 = "Ｘ･Ｙ ・H→ 緯度･経度･Ｘ･Ｙ・H";
inline constexpr const char* kFraZahyo = "2.座標系の選択";
inline constexpr const char* kCmbPara = "座標系";
inline constexpr const char* kLblZahyo = "番号  原点緯度  原点経度";
inline constexpr const char* kLblZahyoTip = "原点緯度･経度はdms形式です";
inline constexpr const char* kFraFileSelect = "3.データファイルの選択";
inline constexpr const char* kCmdOpenInFile = "入力ﾌｧｲﾙ";
inline constexpr const char* kCmdOpenInFileTip = "入力ﾌｧｲﾙを指定します";
inline constexpr const char* kLabel1 = "変換前の座標値ﾌｧｲﾙ";
inline constexpr const char* kLabel1Tip = "緯度・経度またはX・Yが入ったﾌｧｲﾙ";
inline constexpr const char* kCmdOpenOutFile = "出力ﾌｧｲﾙ";
inline constexpr const char* kCmdOpenOutFileTip = "出力ﾌｧｲﾙを指定します";
inline constexpr const char* kLabel2 = "変換後の座標値ﾌｧｲﾙ";
inline constexpr const char* kLabel2Tip = "変換後の緯度・経度またはX・Yが入ったﾌｧｲﾙ";
inline constexpr const char* kChkDispFile = "ﾌｧｲﾙ内容の表示";
inline constexpr const char* kChkDispFileTip =
    "入力ﾌｧｲﾙ，出力ﾌｧｲﾙの内容を表示します。大きなﾌｧｲﾙは表示できません。";
inline constexpr const char* kCmdExp = "入力ﾌｧｲﾙ形式の説明";
inline constexpr const char* kCmdExpTip = "VARNOが扱うﾌｧｲﾙのﾃﾞｰﾀ形式を説明します";
inline constexpr const char* kChkInValue = "入力値の出力";
inline constexpr const char* kChkInValueTip =
    "出力ﾌｧｲﾙの1, 2列に入力値を出力し，3列以降に変換結果を出力する場合はﾁｪｯｸする。";
inline constexpr const char* kLblFormat = "入力ﾌｧｲﾙの形式";
inline constexpr const char* kCmbFormatTip =
    "入力ﾌｧｲﾙのﾃﾞｰﾀ形式を選択します。SIMA座標ﾃﾞｰﾀはＸ･Ｙ・H → Ｘ･Ｙ・Hだけで変換します。";
// The extra filters of the file dialogs, after the usual ones.
inline constexpr const char* kFormatFilters = "|SIMA座標ﾃﾞｰﾀ (*.sim)|*.sim|CSVﾌｧｲﾙ (*.csv)|*.csv";
inline constexpr const char* kSimaFilter = "|SIMA座標ﾃﾞｰﾀ (*.sim)|*.sim";
inline constexpr const char* kCmdStart = "ﾌｧｲﾙ一括変換処理開始";
inline constexpr const char* kCmdStartTip =
    "ｽｸﾘｰﾝｾｰﾊﾞｰ使用時は処理速度が約70%遅くなる場合があります。";
inline constexpr const char* kCmdBreak = "処理中止";
inline constexpr const char* kCmdBreakTip =
    "ﾌｧｲﾙ一括変換処理を中止します。押してから約1分間お待ち下さい。";
inline constexpr const char* kCmdMap = "範囲図";
inline constexpr const char* kCmdMapTip = "最後の一括変換の点を変換パラメータ範囲図に表示します";
inline constexpr const char* kCmdClose = "閉じる";
inline constexpr const char* kCmdCloseTip = "閉じます";
inline constexpr const char* kLblStatus = "Status:";
inline constexpr const char* kLabel4 = "震災前成果から震災後成果への一括変換";
inline constexpr const char* kLabel4Tip = "逆方向の一括変換には対応しておりません";
inline constexpr const char* kInFilter = "すべてのﾌｧｲﾙ (*.*)|*.*|入力ﾌｧｲﾙ (*.in)|*.in";
inline constexpr const char* kOutFilter = "すべてのﾌｧｲﾙ (*.*)|*.*|結果ﾌｧｲﾙ (*.out)|*.out";
inline constexpr const char* kNoInFile =
    "入力ファイルは選択されませんでした。もう一度選択し直して下さい。";
inline constexpr const char* kOpenedIn = "開いた入力ファイルは";
inline constexpr const char* kOpenedOut = "開いた出力ファイルは";
inline constexpr const char* kOpenedTail = "です。";
inline constexpr const char* kCannotOpen = "ファイルが開けません。 Error #";
inline constexpr const char* kZoneDiffers =
    "選択された座標系は、変換パラメータの座標系と異なります ";
inline constexpr const char* kZoneTitle = "VARNO";
inline constexpr const char* kNoZone =
    "座標系が選択されていません。「2.座標系の選択」で座標系を選択して下さい。";
inline constexpr const char* kRunning =
    "ファイル一括計算処理中...\r\n処理時間はCPU等の性能に大きく依存します。\r\n"
    "1万行のデータにつき，おおむね1時間お待ち下さい。";
inline constexpr const char* kCancelled = "一括処理は中止しました";
inline constexpr const char* kOutIsParaFile =
    "出力ファイルに変換パラメータファイルが選択されました。変換パラメータファイルが失われないよう，"
    "別の出力ファイルを選択して下さい。";

// frmInFile / frmOutFile
inline constexpr const char* kFrmInFile = "入力ファイル";
inline constexpr const char* kFrmOutFile = "出力ファイル";
inline constexpr const char* kInCaptionPrefix = "入力ﾌｧｲﾙ用ﾃｷｽﾄｴﾃﾞｨﾀ: ";
inline constexpr const char* kOutCaptionPrefix = "出力ﾌｧｲﾙ用ﾃｷｽﾄｴﾃﾞｨﾀ: ";
inline constexpr const char* kMnuFile = "ファイル";
inline constexpr const char* kMnuFileSave = "保存";
inline constexpr const char* kMnuFileClose = "閉じる";
inline constexpr const char* kMnuEdit = "編集";
inline constexpr const char* kMnuEditCut = "切り取り";
inline constexpr const char* kMnuEditCopy = "ｺﾋﾟｰ";
inline constexpr const char* kMnuEditPaste = "貼り付け";
inline constexpr const char* kMnuPrintList = "印刷";
inline constexpr const char* kMnuClose = "閉じる";
inline constexpr const char* kEditorTitle = "ﾃｷｽﾄ ｴﾃﾞｨﾀ";
inline constexpr const char* kOutTooLarge =
    "ﾌｧｲﾙｻｲｽﾞが大きいので32KBだけをﾃｷｽﾄｴﾃﾞｨﾀで表示します。\r処理は完了しました。";
inline constexpr const char* kNoMemoryHead =
    "ﾌｧｲﾙｻｲｽﾞが大きいので付属のﾃｷｽﾄｴﾃﾞｨﾀで見ることはできませんが，\rﾌｧｲﾙは開かれました。";
inline constexpr const char* kNoMemoryIn = "処理は続行します。";
inline constexpr const char* kNoMemoryOut = "処理は完了しました。";
inline constexpr const char* kOpenError = "ﾌｧｲﾙを開くときにｴﾗｰが発生しました。";
inline constexpr const char* kOverwrite = "既存のﾌｧｲﾙを上書きしますか ?";
inline constexpr const char* kSaveError =
    "ﾌｧｲﾙを閉じるときにｴﾗｰが発生しました。もう一度実行してください。\r";
inline constexpr const char* kSaveNotCp932 =
    "Shift_JIS で保存できない文字があるので，ﾌｧｲﾙは保存しませんでした。";

// frmFormat
inline constexpr const char* kFrmFormat = "ﾌｧｲﾙ形式の説明";
inline constexpr const char* kLblDai = "入力ファイルの形式についての説明";
inline constexpr const char* kFormatLabel1 = "緯度 経度 の場合";
inline constexpr const char* kFormatLabel2 = "平面直角座標 X Y の場合";
inline constexpr const char* kFormatLabel3 = "出力ファイルについての説明";
inline constexpr const char* kFormatLabel4 = "CSV，SIMA座標ﾃﾞｰﾀの場合";

// Printing
inline constexpr const char* kPrintFailed =
    "フォームの印刷ができません。「通常使うﾌﾟﾘﾝﾀ」を確認して下さい。";

}  // namespace varno::ui::dtext
