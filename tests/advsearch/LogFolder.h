// A private folder that stands for the search component's library folder during one test, and
// the lines of the log file in it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "advsearch/mFileUtils.h"

class LogFolder {
 public:
  LogFolder() {
    const auto* pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
    m_oPath = std::filesystem::temp_directory_path() /
              ("quillo-advsearch-" + std::string(pInfo->test_suite_name()) + "-" + pInfo->name());
    std::filesystem::remove_all(m_oPath);
    std::filesystem::create_directories(m_oPath);
    mFileUtils::SetLibraryFolder(m_oPath.string());
  }
  ~LogFolder() {
    mFileUtils::SetLibraryFolder("");
    std::error_code ec;
    std::filesystem::remove_all(m_oPath, ec);
  }

  std::filesystem::path File() const { return m_oPath / "QuilloAdvSearch.log"; }
  bool Exists() const { return std::filesystem::exists(File()); }

  // Whole lines, without their CR LF.
  std::vector<std::string> RawLines() const {
    std::ifstream in(File(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string sAll = ss.str();
    std::vector<std::string> vec;
    size_t nStart = 0;
    for (size_t n; (n = sAll.find("\r\n", nStart)) != std::string::npos; nStart = n + 2)
      vec.push_back(sAll.substr(nStart, n - nStart));
    EXPECT_EQ(nStart, sAll.size()) << "the log ends with an unfinished line";
    return vec;
  }

  // The text of each line: what follows the time stamp and its blank.
  std::vector<std::string> Lines() const {
    static const std::regex s_stamp(R"(^\d{1,2}/\d{1,2}/\d{4}( \d{1,2}:\d\d:\d\d [AP]M)? )");
    std::vector<std::string> vec;
    for (const auto& sLine : RawLines()) {
      std::smatch m;
      EXPECT_TRUE(std::regex_search(sLine, m, s_stamp)) << sLine;
      vec.push_back(m.empty() ? sLine : m.suffix().str());
    }
    return vec;
  }

  void WriteBytes(size_t nSize) const {
    std::ofstream out(File(), std::ios::binary);
    out << std::string(nSize, 'x');
  }

 private:
  std::filesystem::path m_oPath;
};
