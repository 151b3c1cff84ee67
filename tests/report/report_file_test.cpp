// The report file: records appended whole, one line each, earlier content
// kept, whatever the texts hold and however many writers share the file.
#include "report/report_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

fs::path fresh_path(const char* name)
{
    fs::path p = fs::path(::testing::TempDir()) / name;
    fs::remove(p);
    return p;
}

TEST(ReportFile, LineBreaksInsideATextStayInsideTheirRecord)
{
    const fs::path path = fresh_path("tx14_line_breaks.txt");
    tx14::ReportFile file;
    ASSERT_TRUE(file.open(path.string()));
    const std::string_view texts[] = {" SA-105\n forged", "\r\n", " psi\r", "\n"};
    for (std::string_view t : texts)
        file.write_record(t.data(), t.size());
    file.close();
    EXPECT_EQ(read_file(path), " SA-105  forged\n  \n psi \n \n");
    fs::remove(path);
}

}  // namespace
