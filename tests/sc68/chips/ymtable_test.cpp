#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(YmTableTool, RegeneratesTheCommittedTable)
{
    const std::string out = "ym_volume_table.cpp";
    std::remove(out.c_str());
    const std::string cmd = std::string("\"") + YMTABLE_TOOL + "\" " + out;
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string committed = slurp(std::string(KELVARIN_SOURCE_DIR) + "/sc68/chips/ym_volume_table.cpp");
    ASSERT_FALSE(committed.empty());
    EXPECT_TRUE(slurp(out) == committed);
}

}  // namespace
