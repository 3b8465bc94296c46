// The portable store's file: durable across processes, safe to share, and never written when it
// is not a good registry file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/portable/SqliteRegistry.h"
#include "settings/COptions.h"

namespace {

using namespace platform;
using platform::portable::SqliteRegistry;
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& sBytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << sBytes;
}

LSTATUS CreateKey(Registry& oReg, const std::string& sPath, HKEY& hKey) {
  return oReg.CreateKeyEx(HKEY_CURRENT_USER, sPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                          nullptr);
}

LSTATUS SetDword(Registry& oReg, HKEY hKey, const std::string& sName, int32_t n) {
  return oReg.SetValueEx(hKey, sName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), 4);
}

// -1 when the value is missing.
int32_t GetDword(Registry& oReg, const std::string& sPath, const std::string& sName) {
  HKEY hKey{};
  if (oReg.OpenKeyEx(HKEY_CURRENT_USER, sPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return -1;
  int32_t n = -1;
  DWORD cbData = 4;
  oReg.QueryValueEx(hKey, sName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&n), &cbData);
  oReg.CloseKey(hKey);
  return n;
}

bool HasKey(Registry& oReg, const std::string& sPath) {
  HKEY hKey{};
  if (oReg.OpenKeyEx(HKEY_CURRENT_USER, sPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return false;
  oReg.CloseKey(hKey);
  return true;
}

class SqliteRegistryFile : public testing::Test {
 protected:
  void SetUp() override {
    m_pathDir = fs::temp_directory_path() / ("quillo-registry-" + std::to_string(getpid()) + "-" +
                                             testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_pathDir);
    m_pathFile = m_pathDir / "sub" / "registry.sqlite";
  }
  void TearDown() override {
    platform::SetRegistry(nullptr);
    fs::remove_all(m_pathDir);
  }

  // Child process: writes numbered entries until it is killed, and reports each number on the
  // pipe once the call that wrote it has returned. Entry i is a value of one key and a new
  // three-level key path, each created in a single call.
  [[noreturn]] void WriteUntilKilled(int nFd, int nFirst) {
    auto pReg = SqliteRegistry::OpenFile(m_pathFile);
    HKEY hCrash{};
    if (!pReg->IsUsable() || CreateKey(*pReg, "Crash", hCrash) != ERROR_SUCCESS) _exit(3);
    for (int i = nFirst;; ++i) {
      HKEY hLeaf{};
      if (SetDword(*pReg, hCrash, "V" + std::to_string(i), i) != ERROR_SUCCESS ||
          CreateKey(*pReg, "Crash\\Batch\\" + std::to_string(i) + "\\A\\B", hLeaf) != ERROR_SUCCESS)
        _exit(4);
      pReg->CloseKey(hLeaf);
      if (write(nFd, &i, sizeof i) != sizeof i) _exit(5);
    }
  }

  fs::path m_pathDir;
  fs::path m_pathFile;
};

TEST_F(SqliteRegistryFile, WritesOutliveTheStoreAndAreSharedBetweenStores) {
  auto pFirst = SqliteRegistry::OpenFile(m_pathFile);
  ASSERT_TRUE(pFirst->IsUsable()) << pFirst->LoadError();
  auto pSecond = SqliteRegistry::OpenFile(m_pathFile);
  HKEY hKey{};
  ASSERT_EQ(CreateKey(*pFirst, "Software\\Mardel\\Quillo", hKey), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(*pFirst, hKey, "ExcludeReplied", 1), ERROR_SUCCESS);
  EXPECT_EQ(GetDword(*pSecond, "Software\\Mardel\\Quillo", "ExcludeReplied"), 1);
  pFirst.reset();
  pSecond.reset();

  auto pReopened = SqliteRegistry::OpenFile(m_pathFile);
  EXPECT_EQ(GetDword(*pReopened, "Software\\Mardel\\Quillo", "ExcludeReplied"), 1);
}

TEST_F(SqliteRegistryFile, AWriterKilledMidWriteLosesNothingCommitted) {
  int nNext = 0;
  for (int nRound = 0; nRound < 3; ++nRound) {
    int anPipe[2];
    ASSERT_EQ(pipe(anPipe), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(anPipe[0]);
      WriteUntilKilled(anPipe[1], nNext);
    }
    close(anPipe[1]);
    int nLast = nNext - 1, n = 0;
    for (int k = 0; k < 20; ++k) {
      ASSERT_EQ(read(anPipe[0], &n, sizeof n), static_cast<ssize_t>(sizeof n)) << "the writer stopped";
      nLast = n;
    }
    kill(pid, SIGKILL);
    while (read(anPipe[0], &n, sizeof n) == static_cast<ssize_t>(sizeof n)) nLast = n;
    close(anPipe[0]);
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    ASSERT_TRUE(WIFSIGNALED(nStatus)) << "the writer ended on its own: " << nStatus;

    auto pReg = SqliteRegistry::OpenFile(m_pathFile);
    ASSERT_TRUE(pReg->IsUsable()) << pReg->LoadError();
    for (int i = 0; i <= nLast; ++i) {
      ASSERT_EQ(GetDword(*pReg, "Crash", "V" + std::to_string(i)), i);
      ASSERT_TRUE(HasKey(*pReg, "Crash\\Batch\\" + std::to_string(i) + "\\A\\B")) << i;
    }
    // The write in flight when the writer died is there whole or not at all.
    if (HasKey(*pReg, "Crash\\Batch\\" + std::to_string(nLast + 1))) {
      EXPECT_TRUE(HasKey(*pReg, "Crash\\Batch\\" + std::to_string(nLast + 1) + "\\A\\B"));
    }
    // The next writer starts over at the entry that may or may not have been written.
    nNext = nLast + 1;
  }
}

TEST_F(SqliteRegistryFile, ProcessesWritingAtOnceWaitForEachOther) {
  constexpr int kWrites = 30;
  pid_t apid[2];
  for (int nWriter = 0; nWriter < 2; ++nWriter) {
    apid[nWriter] = fork();
    ASSERT_GE(apid[nWriter], 0);
    if (apid[nWriter] == 0) {
      auto pReg = SqliteRegistry::OpenFile(m_pathFile);
      HKEY hKey{};
      if (!pReg->IsUsable() || CreateKey(*pReg, "Shared", hKey) != ERROR_SUCCESS) _exit(3);
      for (int i = 0; i < kWrites; ++i)
        if (SetDword(*pReg, hKey, "W" + std::to_string(nWriter) + "_" + std::to_string(i), i) !=
            ERROR_SUCCESS)
          _exit(4);
      _exit(0);
    }
  }
  for (pid_t pid : apid) {
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << nStatus;
  }
  auto pReg = SqliteRegistry::OpenFile(m_pathFile);
  for (int nWriter = 0; nWriter < 2; ++nWriter)
    for (int i = 0; i < kWrites; ++i)
      EXPECT_EQ(GetDword(*pReg, "Shared", "W" + std::to_string(nWriter) + "_" + std::to_string(i)), i);
}

// A file that is not a good registry: one clear error, every setting at its default, and the
// file as it was, also after the add-in tried to write.
void ExpectRefusedAndUntouched(const fs::path& pathFile, const std::string& sReason) {
  std::string sBefore = ReadFile(pathFile);
  auto pReg = SqliteRegistry::OpenFile(pathFile);
  EXPECT_FALSE(pReg->IsUsable());
  EXPECT_NE(pReg->LoadError().find(pathFile.string()), std::string::npos) << pReg->LoadError();
  EXPECT_NE(pReg->LoadError().find(sReason), std::string::npos) << pReg->LoadError();

  platform::SetRegistry(pReg);
  COptions oOptions;
  oOptions.ExcludeReplied(true);
  EXPECT_FALSE(oOptions.ExcludeReplied());
  EXPECT_EQ(oOptions.TestToolbar(), 1);
  int32_t nPosition = 0, nRow = 0, nLeft = 7, nTop = 7;
  oOptions.ReadToolbarPos(nPosition, nRow, nLeft, nTop);
  EXPECT_EQ(nPosition, 1);
  EXPECT_EQ(nRow, -1);
  platform::SetRegistry(nullptr);
  pReg.reset();

  EXPECT_EQ(ReadFile(pathFile), sBefore);
  EXPECT_FALSE(fs::exists(pathFile.string() + "-journal"));
}

TEST_F(SqliteRegistryFile, AFileOfGarbageIsRefusedAndLeftAlone) {
  fs::create_directories(m_pathFile.parent_path());
  std::string sGarbage;
  while (sGarbage.size() < 8192) sGarbage += "this is not a registry ";
  WriteFile(m_pathFile, sGarbage);
  ExpectRefusedAndUntouched(m_pathFile, "cannot be used");
}

TEST_F(SqliteRegistryFile, ADamagedRegistryIsRefusedAndLeftAlone) {
  {
    auto pReg = SqliteRegistry::OpenFile(m_pathFile);
    HKEY hKey{};
    ASSERT_EQ(CreateKey(*pReg, "Software\\Mardel\\Quillo", hKey), ERROR_SUCCESS);
    std::string sBig(1000, 'x');
    for (int i = 0; i < 16; ++i)
      pReg->SetValueEx(hKey, ("Value" + std::to_string(i)).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(sBig.c_str()), static_cast<DWORD>(sBig.size() + 1));
  }
  std::string sBytes = ReadFile(m_pathFile);
  ASSERT_GT(sBytes.size(), 3 * 4096u);
  // Page 2 onwards is b-tree pages; scrambling a page header is damage any check sees.
  for (size_t i = 4096; i < 4096 + 64; ++i) sBytes[i] = '\x55';
  WriteFile(m_pathFile, sBytes);
  ExpectRefusedAndUntouched(m_pathFile, "cannot be used");
}

TEST_F(SqliteRegistryFile, AnotherProgramsDatabaseIsRefusedAndLeftAlone) {
  fs::create_directories(m_pathFile.parent_path());
  sqlite3* pDb = nullptr;
  ASSERT_EQ(sqlite3_open(m_pathFile.c_str(), &pDb), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(pDb, "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  sqlite3_close(pDb);
  ExpectRefusedAndUntouched(m_pathFile, "not a Quillo registry file");
}

TEST_F(SqliteRegistryFile, AFolderThatCannotBeMadeIsReported) {
  fs::create_directories(m_pathDir);
  WriteFile(m_pathDir / "sub", "a file where the folder should be");
  auto pReg = SqliteRegistry::OpenFile(m_pathFile);
  EXPECT_FALSE(pReg->IsUsable());
  EXPECT_NE(pReg->LoadError().find(m_pathFile.string()), std::string::npos);
  HKEY hKey{};
  EXPECT_NE(CreateKey(*pReg, "Software", hKey), ERROR_SUCCESS);
}

// A file of the first layout folded "A\x81" to "a?": once opened again the name is found by
// its own spelling and no longer stands in for "A?".
TEST_F(SqliteRegistryFile, NamesFoldedByTheFirstLayoutAreFoldedAgain) {
  {
    auto pReg = SqliteRegistry::OpenFile(m_pathFile);
    HKEY hKey{};
    ASSERT_EQ(CreateKey(*pReg, "Old", hKey), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(*pReg, hKey, "A\x81", 7), ERROR_SUCCESS);
    pReg->CloseKey(hKey);
  }
  sqlite3* pDb = nullptr;
  ASSERT_EQ(sqlite3_open(m_pathFile.c_str(), &pDb), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(pDb, "UPDATE vals SET folded = 'a?'; PRAGMA user_version=1;", nullptr, nullptr, nullptr),
      SQLITE_OK);
  sqlite3_close(pDb);

  auto pReg = SqliteRegistry::OpenFile(m_pathFile);
  ASSERT_TRUE(pReg->IsUsable()) << pReg->LoadError();
  EXPECT_EQ(GetDword(*pReg, "Old", "a\x81"), 7);
  EXPECT_EQ(GetDword(*pReg, "Old", "A?"), -1);
}

}  // namespace
