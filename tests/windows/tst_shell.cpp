#include "shell.h"

#include <gtest/gtest.h>

TEST(AudioRefresh, RestartsTheShellThroughCmd)
{
    const platform::ShellCommand command = platform::audioRefreshCommand();
    EXPECT_EQ(command.program, "cmd.exe");
    EXPECT_EQ(command.arguments,
              (std::vector<std::string> {"/c", "taskkill /f /im explorer.exe && start explorer.exe"}));
}
