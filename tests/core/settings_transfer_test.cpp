// Tests of the names a settings file may have, the registry editor's command lines and
// the split of the settings key into the maker key that clearing keeps and the product.
#include <gtest/gtest.h>

#include "core/settings/settings_transfer_rules.h"

namespace vemora {
namespace {

TEST(SettingsTransfer, FileKindByNameIgnoresCaseAndNeedsANameBeforeTheExtension) {
  const struct {
    std::u16string_view name;
    SettingsFileKind kind;
  } cases[] = {
      {u"C:\\設定\\Vemora.reg", SettingsFileKind::kRegistryExport},
      {u"a.reg", SettingsFileKind::kRegistryExport},
      {u"SAVED.REG", SettingsFileKind::kRegistryExport},
      {u"x.Reg", SettingsFileKind::kRegistryExport},
      {u"Vemora-設定.ini", SettingsFileKind::kIniCopy},
      {u"C:\\BACKUP\\VEMORA.INI", SettingsFileKind::kIniCopy},
      {u"b.iNi", SettingsFileKind::kIniCopy},
      // Four characters are only the extension.
      {u".reg", SettingsFileKind::kRefused},
      {u".INI", SettingsFileKind::kRefused},
      {u"", SettingsFileKind::kRefused},
      {u"reg", SettingsFileKind::kRefused},
      // Only the end of the name counts.
      {u"settings.reg.txt", SettingsFileKind::kRefused},
      {u"settings.ini.bak", SettingsFileKind::kRefused},
      {u"C:\\a.reg\\settings", SettingsFileKind::kRefused},
      {u"settingsreg", SettingsFileKind::kRefused},
      {u"settings.regx", SettingsFileKind::kRefused},
      // Full-width letters are other characters, not another case.
      {u"settings.ＲＥＧ", SettingsFileKind::kRefused},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(SettingsFileKindOf(cases[i].name), cases[i].kind) << "case " << i;
}

TEST(SettingsTransfer, RegistryEditorCommandLinesQuoteThePath) {
  EXPECT_EQ(RegistryExportParameters(u"C:\\My Settings\\Vemora.reg", u"Software\\Kelm\\Vemora"),
            u"/e \"C:\\My Settings\\Vemora.reg\" HKEY_CURRENT_USER\\Software\\Kelm\\Vemora");
  EXPECT_EQ(RegistryImportParameters(u"C:\\My Settings\\設定.reg"),
            u"\"C:\\My Settings\\設定.reg\"");
}

TEST(SettingsTransfer, ProductKeyIsTheLastComponentOfTheRoot) {
  const struct {
    std::u16string_view root, maker, product;
  } cases[] = {
      {u"Software\\Kelm\\Vemora", u"Software\\Kelm", u"Vemora"},
      {u"Software\\Tests\\Kelm\\Vemora\\", u"Software\\Tests\\Kelm", u"Vemora"},
      {u"Vemora", u"", u"Vemora"},
  };
  for (const auto& c : cases) {
    const ProductKeyPath split = SplitProductKey(c.root);
    EXPECT_EQ(split.makerKey, c.maker);
    EXPECT_EQ(split.product, c.product);
  }
}

}  // namespace
}  // namespace vemora
