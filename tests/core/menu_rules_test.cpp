// Menu and toolbar states by document, source, hits and selection; encoding commands.
#include "core/shell/menu_rules.h"

#include <gtest/gtest.h>

#include <map>

namespace vemora {
namespace {

std::map<uint16_t, bool> AsMap(const std::vector<CommandState>& states) {
  std::map<uint16_t, bool> map;
  for (const CommandState& state : states) map[state.command] = state.enabled;
  return map;
}

TEST(MenuRules, WithoutADocumentEverythingOnTheTextIsGrayed) {
  auto menu = AsMap(MenuItemStates({}));
  for (uint16_t command :
       {CmdTop, CmdBottom, CmdFind, CmdFindNext, CmdCopy, CmdEncodingSjis, CmdEncodingUtf7,
        CmdOpenWithTool, CmdLineNumbers, CmdSaveAsUtf16, CmdSaveEncoded})
    EXPECT_FALSE(menu.at(command)) << command;
  EXPECT_FALSE(menu.count(CmdOpen)) << "opening is always possible";
  EXPECT_FALSE(menu.count(CmdPaste));
  // Hits or a selection left in the input do not count without a document.
  auto stale = AsMap(MenuItemStates({.hasHits = true, .hasSelection = true}));
  EXPECT_FALSE(stale.at(CmdFindNext));
  EXPECT_FALSE(stale.at(CmdCopy));
  EXPECT_FALSE(stale.at(CmdCharacterInfo));
  EXPECT_FALSE(menu.at(CmdFollow));
  EXPECT_FALSE(AsMap(MenuItemStates({.hasDocument = true, .fromFile = true})).at(CmdCharacterInfo))
      << "character information needs a selection";
}

TEST(MenuRules, PastedTextCannotBeReloadedOrHandedToATool) {
  auto menu = AsMap(MenuItemStates({.hasDocument = true, .fromFile = false}));
  EXPECT_TRUE(menu.at(CmdTop));
  EXPECT_TRUE(menu.at(CmdSaveEncoded)) << "pasted text can be saved in any encoding";
  EXPECT_FALSE(menu.at(CmdEncodingEuc));
  EXPECT_FALSE(menu.at(CmdOpenWithTool));
  EXPECT_FALSE(menu.at(CmdFollow)) << "only a file can grow";
  auto buttons = AsMap(ToolbarButtonStates({.hasDocument = true, .fromFile = false}));
  EXPECT_TRUE(buttons.at(CmdFind));
  EXPECT_FALSE(buttons.at(CmdOpenWithTool));
}

TEST(MenuRules, HitsAndSelectionEnableTheirCommands) {
  MenuStateInput input{
      .hasDocument = true, .fromFile = true, .hasHits = true, .hasSelection = true};
  auto menu = AsMap(MenuItemStates(input));
  for (uint16_t command : {CmdFindNext, CmdFindPrev, CmdShowMatches, CmdCopy, CmdAppendCopy,
                           CmdQuotedCopy, CmdEncodingUtf16Be, CmdFollow, CmdCharacterInfo})
    EXPECT_TRUE(menu.at(command)) << command;
  auto buttons = AsMap(ToolbarButtonStates(input));
  EXPECT_TRUE(buttons.at(CmdCopy));
  EXPECT_FALSE(buttons.count(CmdAppendCopy)) << "only copy has a button";
}

TEST(MenuRules, FilteringNeedsADocumentAndItsUndoingAFilteredView) {
  EXPECT_FALSE(AsMap(MenuItemStates({.filtered = true})).at(CmdUnfilter));
  EXPECT_FALSE(AsMap(MenuItemStates({})).at(CmdFilter));
  auto whole = AsMap(MenuItemStates({.hasDocument = true}));
  EXPECT_TRUE(whole.at(CmdFilter)) << "pasted text can be filtered too";
  EXPECT_FALSE(whole.at(CmdUnfilter));
  auto filtered = AsMap(MenuItemStates({.hasDocument = true, .fromFile = true, .filtered = true}));
  EXPECT_TRUE(filtered.at(CmdFilter)) << "a view is filtered again from the whole file";
  EXPECT_TRUE(filtered.at(CmdUnfilter));
}

TEST(MenuRules, EncodingCommandsSkipTheEncodingAlreadyShown) {
  EXPECT_EQ(EncodingMenuCommand(5), CmdEncodingUtf16);
  EXPECT_EQ(EncodingMenuCommand(6), CmdEncodingUtf16Be);
  EXPECT_EQ(EncodingMenuCommand(8), CmdEncodingUtf8);
  EXPECT_EQ(EncodingMenuCommand(-1), 0);
  EXPECT_EQ(EncodingMenuCommand(10), 0);

  EXPECT_FALSE(EncodingReloadFor(CmdEncodingUtf16, 5).reload);
  EncodingReload fromSjis = EncodingReloadFor(CmdEncodingUtf16, 0);
  EXPECT_TRUE(fromSjis.reload);
  EXPECT_EQ(fromSjis.request, -3);
  EXPECT_EQ(EncodingReloadFor(CmdEncodingUtf8, 2).request, -5);
  EXPECT_FALSE(EncodingReloadFor(CmdEncodingUtf8, 7).reload);
  EXPECT_EQ(EncodingReloadFor(CmdEncodingUtf7, 0).request, 9);
  EXPECT_FALSE(EncodingReloadFor(CmdOpen, 0).reload);
}

}  // namespace
}  // namespace vemora
