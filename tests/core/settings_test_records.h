// Settings records with every field away from its default, shared by the store tests of
// both media.
#pragma once

#include "core/keys/key_table.h"
#include "core/settings/settings_model.h"

namespace vemora::testing {

inline void FillSampleSettings(AppOptions& options, FileTypeSettingList& list) {
  ResetSettings(options, list);
  options.WinPosX = -32000;
  options.WinPosY = 17;
  options.WinWidth = 801;
  options.WinHeight = 602;
  options.Maximize = 1;
  options.PosSave = 1;
  options.SizeSave = 1;
  options.Tbar = 0;
  options.Sbar = 0;
  options.Reg = 1;
  options.Quote = u"引用\\> ";
  options.Bell = 0;
  options.HistNum = 20;
  options.Caret = 1;
  options.SmLine = 1;
  options.SmPage = 1;
  options.SmRare = 30;
  std::vector<KeyBinding> keys(KeyPreset(1).begin(), KeyPreset(1).end());
  keys.push_back({0x13, 0x7F, 0x1234, 0xFFFF});
  SetKeyTable(options, keys);
  options.Hist = {u"C:\\文書\\メモ.txt", u"D:\\a b\\=c.txt", u"\\\\server\\share\\x"};
  options.Caps = 1;
  options.Regx = 1;
  options.FindHist = {u"正規表現.*", u"\\d+=\t"};

  FileTypeSetting common = DefaultFileTypeSetting();
  common.Tab = 4;
  FileTypeSetting text = DefaultFileTypeSetting();
  text.Name = u"テキスト ファイル";
  text.Ext = {u"*.txt", u"readme.???", u"*.日本"};
  text.Tab = 16;
  text.Fold = 260;
  text.LineSp = 0;
  text.Cr = 0;
  text.TabMark = 1;
  text.HanSpcMark = 1;
  text.ZenSpcMark = 1;
  text.LineNum = 1;
  text.LineType = 1;
  text.FoldRight = 0;
  text.Font.height = -24;
  text.Font.width = 7;
  text.Font.escapement = 900;
  text.Font.orientation = -900;
  text.Font.weight = 700;
  text.Font.italic = 1;
  text.Font.underline = 255;
  text.Font.strikeOut = 1;
  text.Font.charSet = 0;
  text.Font.outPrecision = 3;
  text.Font.clipPrecision = 0;
  text.Font.quality = 5;
  text.Font.pitchAndFamily = 49;
  text.Font.SetFaceName(u"ＭＳ ゴシック");
  text.TextCol = 0x00010203;
  text.HighCol = 0x00FEFDFC;
  text.BackCol = 0x00000000;
  text.FindCol = 0x0000FF00;
  text.CtrlCol = 0x00123456;
  text.CrCol = 0x00654321;
  text.TabCol = 0x00ABCDEF;
  text.HanSpcCol = 0x00FFFFFF;
  text.ZenSpcCol = 0x00808080;
  text.ToolType = 1;
  text.EditClose = 1;
  text.EditReload = 1;
  text.Editor = u"\"C:\\Program Files\\エディタ\\ed.exe\" -l$L $K $F";
  text.EdOptEUC = u"-euc";
  text.EdOptJIS = u"-jis";
  text.EdOptSJIS = u"-sjis";
  text.EdOptUTF16 = u"-u16";
  text.EdOptUTF16BE = u"-u16be";
  text.EdOptUTF8 = u"-u8";
  text.EdOptUTF7 = u"-u7";
  FileTypeSetting log = DefaultFileTypeSetting();
  log.Name = u"log";
  log.Ext = {u"*.log"};
  list.entries = {common, text, log};
  list.countAsLoaded = 3;  // what loading this store gives
}

}  // namespace vemora::testing
