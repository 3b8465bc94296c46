// Runs a forms test on every forms backend of the build: the portable one with a virtual loop
// everywhere, and in the Windows build the real windows with the real message loop (under Wine
// with a virtual display). Message boxes are scripted on both; the support library records.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/Forms.h"
#include "platform/Ui.h"
#include "platform/portable/FormsPortable.h"
#include "platform/portable/ScriptedBoxes.h"
#include "platform/portable/VirtualLoop.h"
#include "support/RecordingSupport.h"
#ifdef _WIN32
#include <windows.h>

#include "platform/win32/FormsWin32.h"
#include "platform/win32/Win32Loop.h"
#endif

inline std::vector<std::string> FormsBackendNames() {
#ifdef _WIN32
  return {"portable", "win32"};
#else
  return {"portable"};
#endif
}

class FormsBackendTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
#ifdef _WIN32
    // Wine shows windows only on an X display (xvfb-run gives one).
    if (IsWin32() && !std::getenv("DISPLAY"))
      GTEST_SKIP() << "real windows need a display: run under xvfb-run";
#endif
    m_pPrevBoxes = platform::SetBoxes(m_pBoxes);
#ifdef _WIN32
    if (IsWin32()) {
      m_pPrevLoop = platform::SetLoop(std::make_shared<platform::win32::Win32Loop>());
      m_pPrevForms = platform::SetFormsBackend(std::make_shared<platform::win32::Win32Forms>());
      return;
    }
#endif
    m_pPrevLoop = platform::SetLoop(m_pVirtualLoop);
    m_pPrevForms = platform::SetFormsBackend(m_pPortable);
  }

  void TearDown() override {
    if (IsSkipped()) return;
    EXPECT_TRUE(platform::Forms().EscapedErrors().empty())
        << platform::Forms().EscapedErrors().front().sDescription;
#ifdef _WIN32
    if (m_hForeground) DestroyWindow(m_hForeground);
#endif
    platform::SetFormsBackend(m_pPrevForms);
    platform::SetLoop(m_pPrevLoop);
    platform::SetBoxes(m_pPrevBoxes);
  }

  bool IsWin32() const {
    return GetParam() == "win32";
  }
  platform::FormsDriver& Driver() {
    return platform::Forms().Driver();
  }

  // Puts a window of another program in front of the user; forms loaded now see it as the
  // foreground window. Returns its handle.
  platform::WindowHandle MakeForegroundWindow() {
#ifdef _WIN32
    if (IsWin32()) {
      m_hForeground = CreateWindowExA(0, "STATIC", "Outlook", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 600,
                                      400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
      SetForegroundWindow(m_hForeground);
      return reinterpret_cast<platform::WindowHandle>(GetForegroundWindow());
    }
#endif
    m_pPortable->SetForegroundWindow(0x4242);
    return 0x4242;
  }

  testsupport::ScopedRecordingSupport log;
  std::shared_ptr<platform::portable::ScriptedBoxes> m_pBoxes =
      std::make_shared<platform::portable::ScriptedBoxes>();
  // The portable backend's loop and backend (installed only for the "portable" run).
  std::shared_ptr<platform::portable::VirtualLoop> m_pVirtualLoop =
      std::make_shared<platform::portable::VirtualLoop>();
  std::shared_ptr<platform::portable::PortableForms> m_pPortable =
      std::make_shared<platform::portable::PortableForms>();

 private:
  std::shared_ptr<platform::MessageLoop> m_pPrevLoop;
  std::shared_ptr<platform::MessageBoxes> m_pPrevBoxes;
  std::shared_ptr<platform::FormsBackend> m_pPrevForms;
#ifdef _WIN32
  HWND m_hForeground = nullptr;
#endif
};
