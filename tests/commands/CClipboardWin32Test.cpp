// The clipboard keeper on the real Windows clipboard (run under Wine): text and a
// device-independent bitmap survive, nested pairs, an empty clipboard, and a clipboard that
// another thread keeps open.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "commands/CClipboard.h"
#include "commands/mButtonFaces.h"
#include "platform/Clipboard.h"
#include "platform/win32/Win32Clipboard.h"
#include "support/RecordingSupport.h"

#include <windows.h>

namespace {

class CClipboardWin32Test : public testing::Test {
 protected:
  void SetUp() override {
    m_pPrevious = platform::SetClipboard(std::make_shared<platform::win32::Win32Clipboard>());
    m_pPrevSupport = host::BindTarvik(m_pSupport);
    Replace({});
  }
  void TearDown() override {
    Replace({});
    host::BindTarvik(m_pPrevSupport);
    platform::SetClipboard(m_pPrevious);
  }

  // Empties the real clipboard and puts these formats on it.
  static void Replace(const std::vector<std::pair<UINT, std::vector<uint8_t>>>& vecFormats) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    for (const auto& [nFormat, vecData] : vecFormats) {
      HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, vecData.size());
      std::memcpy(::GlobalLock(h), vecData.data(), vecData.size());
      ::GlobalUnlock(h);
      ::SetClipboardData(nFormat, h);
    }
    ::CloseClipboard();
  }
  // The bytes of a format; empty when it is not there.
  static std::vector<uint8_t> Read(UINT nFormat) {
    std::vector<uint8_t> vec;
    if (!::OpenClipboard(nullptr)) return vec;
    if (HANDLE h = ::GetClipboardData(nFormat)) {
      if (const void* p = ::GlobalLock(h)) {
        vec.assign(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + ::GlobalSize(h));
        ::GlobalUnlock(h);
      }
    }
    ::CloseClipboard();
    return vec;
  }
  static std::vector<uint8_t> Text(const char* s) { return std::vector<uint8_t>(s, s + std::strlen(s) + 1); }
  static int CountFormats() {
    int n = 0;
    if (!::OpenClipboard(nullptr)) return -1;
    for (UINT u = ::EnumClipboardFormats(0); u; u = ::EnumClipboardFormats(u)) ++n;
    ::CloseClipboard();
    return n;
  }

  std::shared_ptr<testsupport::RecordingSupport> m_pSupport =
      std::make_shared<testsupport::RecordingSupport>();

 private:
  std::shared_ptr<platform::Clipboard> m_pPrevious;
  std::shared_ptr<host::SupportLibrary> m_pPrevSupport;
};

TEST_F(CClipboardWin32Test, TextAndABitmapSurviveOtherText) {
  auto vecDib = mButtonFaces::ResourceDib(101);
  Replace({{CF_TEXT, Text("first text")}, {CF_DIB, vecDib}});
  CClipboard oKeeper;
  oKeeper.Save();
  EXPECT_GE(oKeeper.SavedCount(), 2u);
  Replace({{CF_TEXT, Text("other text")}});
  oKeeper.Restore();
  EXPECT_EQ(Read(CF_TEXT), Text("first text"));
  auto vecBack = Read(CF_DIB);
  ASSERT_GE(vecBack.size(), vecDib.size());
  EXPECT_TRUE(std::equal(vecDib.begin(), vecDib.end(), vecBack.begin()));
  EXPECT_TRUE(::IsClipboardFormatAvailable(CF_BITMAP));
  EXPECT_TRUE(::OpenClipboard(nullptr));  // closed again by the keeper
  ::CloseClipboard();
}

TEST_F(CClipboardWin32Test, NestedPairsRestoreOnceAtTheEnd) {
  Replace({{CF_TEXT, Text("outer")}});
  CClipboard oKeeper;
  oKeeper.Save();
  oKeeper.Save();
  Replace({{CF_TEXT, Text("inner")}});
  oKeeper.Restore();
  EXPECT_EQ(Read(CF_TEXT), Text("inner"));
  oKeeper.Restore();
  EXPECT_EQ(Read(CF_TEXT), Text("outer"));
}

TEST_F(CClipboardWin32Test, AnEmptyClipboardStaysEmpty) {
  CClipboard oKeeper;
  oKeeper.Save();
  EXPECT_EQ(oKeeper.SavedCount(), 0u);
  Replace({{CF_TEXT, Text("between")}});
  oKeeper.Restore();
  EXPECT_EQ(CountFormats(), 0);
}

TEST_F(CClipboardWin32Test, AClipboardHeldByAnotherThreadIsLeftAloneWithAWarning) {
  Replace({{CF_TEXT, Text("kept")}});
  std::mutex mtx;
  std::condition_variable cv;
  bool bOpened = false, bRelease = false;
  // Another program's window holds it: the clipboard is opened for a window of its own thread.
  std::thread oHolder([&] {
    HWND hWnd =
        ::CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    BOOL bOk = ::OpenClipboard(hWnd);
    {
      std::lock_guard<std::mutex> lock(mtx);
      bOpened = true;
    }
    cv.notify_all();
    std::unique_lock<std::mutex> lock(mtx);
    cv.wait(lock, [&] { return bRelease; });
    if (bOk) ::CloseClipboard();
    if (hWnd) ::DestroyWindow(hWnd);
  });
  {
    std::unique_lock<std::mutex> lock(mtx);
    cv.wait(lock, [&] { return bOpened; });
  }
  CClipboard oKeeper;
  oKeeper.Save();
  oKeeper.Restore();
  {
    std::lock_guard<std::mutex> lock(mtx);
    bRelease = true;
  }
  cv.notify_all();
  oHolder.join();
  size_t nWarnings = 0;
  for (const auto& o : m_pSupport->lines)
    nWarnings += o.sMessage.rfind("OpenClipboard, Err.LastDllError = ", 0) == 0;
  EXPECT_EQ(nWarnings, 2u);
  EXPECT_EQ(Read(CF_TEXT), Text("kept"));
}

}  // namespace
