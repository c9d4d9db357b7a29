#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

TEST(AutoModeSwitch, IsASpaceAndSlashAuAnywhere) {
    const struct {
        const char* commandLine;
        bool automatic;
    } cases[] = {
        // clang-format off
        {"\"C:\\fw\\TRELMAST_GUI.exe\" /au",          true},
        {"\"C:\\fw\\TRELMAST_GUI.exe\" /auto",        true},  // what follows the u is not read
        {"\"C:\\fw\\TRELMAST_GUI.exe\" -x /au -y",    true},
        {"\"C:\\fw\\TRELMAST_GUI.exe\" \"a /au\"",    true},  // quotation marks do not matter
        {"C:\\my /au dir\\TRELMAST_GUI.exe",          true},  // nor does it matter where
        {"\"C:\\fw\\TRELMAST_GUI.exe\" /AU",          false}, // case-sensitive
        {"\"C:\\fw\\TRELMAST_GUI.exe\" -au",          false},
        {"\"C:\\fw\\TRELMAST_GUI.exe\"/au",           false}, // no space before the slash
        {"\"C:\\fw\\TRELMAST_GUI.exe\" /a",           false},
        {"\"C:\\fw\\TRELMAST_GUI.exe\"\t/au",         false}, // a tab is not a space
        {"",                                          false},
        {" /au",                                      true},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        EXPECT_EQ(c.automatic, HasAutoModeSwitch(c.commandLine));
    }
    EXPECT_FALSE(HasAutoModeSwitch(nullptr));
}

} // namespace
