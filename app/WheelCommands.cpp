#include "WheelCommands.h"

#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "chooser/mMouseWheel.h"

namespace app {
namespace {

using namespace mMouseWheel;

const std::string kWheelUsage = "wheel DELTA [--lines N | --no-setting | --page]";
constexpr WindowHandle kStandInGrid = 0x6121;
constexpr LongPtr kStandInProc = 0x6122;

std::string CodeName(WParam nCode) {
  switch (nCode) {
    case kSbLineUp: return "SB_LINEUP";
    case kSbLineDown: return "SB_LINEDOWN";
    case kSbPageUp: return "SB_PAGEUP";
    case kSbPageDown: return "SB_PAGEDOWN";
    case kSbEndScroll: return "SB_ENDSCROLL";
    default: return std::to_string(nCode);
  }
}

int ParseInRange(const std::string& s, const std::string& sWhat, int nMin, int nMax) {
  int n = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (ec != std::errc() || p != s.data() + s.size() || n < nMin || n > nMax)
    throw UsageError{sWhat + " must be a whole number from " + std::to_string(nMin) + " to " +
                     std::to_string(nMax) + ", not '" + s + "'"};
  return n;
}

void TurnWheel(std::ostream& out, int nDelta, std::optional<unsigned int> oLines) {
  struct Run {
    LongPtr nProc = kStandInProc;
    std::vector<WParam> vecScrolls;
  } oRun;
  WindowApi o;
  o.SetWindowLongPtrA = [&oRun](WindowHandle, int32_t, LongPtr nValue) {
    return std::exchange(oRun.nProc, nValue);
  };
  o.SystemParametersInfoA = [oLines](uint32_t, uint32_t, void* pv, uint32_t) -> int32_t {
    if (!oLines) return 0;
    *static_cast<unsigned int*>(pv) = *oLines;
    return 1;
  };
  o.SendMessageA = [&oRun](WindowHandle, uint32_t uMsg, WParam wParam, LParam) -> LongPtr {
    if (uMsg == kWmVScroll) oRun.vecScrolls.push_back(wParam);
    return 0;
  };
  o.CallWindowProcA = [](LongPtr, WindowHandle, uint32_t, WParam, LParam) -> LongPtr { return 0; };
  WindowApi oPrevious = SetApi(std::move(o));
  Hook(kStandInGrid);
  out << "  hooked: "
      << (ScrollLines() == kWheelPageScroll ? "a page" : std::to_string(ScrollLines()) + " line(s)")
      << " per notch" << (oLines ? "" : " (no system setting)") << "\n";
  auto wParam = static_cast<WParam>(static_cast<uint16_t>(static_cast<int16_t>(nDelta))) << 16;
  LongPtr nResult = WindowProc(kStandInGrid, kWmMouseWheel, wParam, 0);
  UnHook(kStandInGrid);
  SetApi(std::move(oPrevious));
  out << "  WM_MOUSEWHEEL delta " << nDelta << " -> result " << nResult << ", " << oRun.vecScrolls.size()
      << " WM_VSCROLL:";
  // Runs of the same code are printed once with their count.
  for (size_t i = 0; i < oRun.vecScrolls.size();) {
    size_t j = i;
    while (j < oRun.vecScrolls.size() && oRun.vecScrolls[j] == oRun.vecScrolls[i]) ++j;
    out << " " << CodeName(oRun.vecScrolls[i]) << (j - i > 1 ? " x" + std::to_string(j - i) : "");
    i = j;
  }
  out << "\n  unhooked: "
      << (oRun.nProc == kStandInProc ? "the grid's own procedure is back" : "still hooked") << "\n";
}

void RunWheel(SimSession& oSession, const Args& a) {
  NeedArgs(a, 1, 3);
  int nDelta = ParseInRange(a[0], "DELTA", -32768, 32767);
  std::optional<unsigned int> oLines = 3;
  if (a.size() == 3 && a[1] == "--lines")
    oLines = static_cast<unsigned int>(ParseInRange(a[2], "--lines", 0, 100));
  else if (a.size() == 2 && a[1] == "--no-setting")
    oLines.reset();
  else if (a.size() == 2 && a[1] == "--page")
    oLines = kWheelPageScroll;
  else if (a.size() != 1)
    ThrowUsage();
  TurnWheel(oSession.Out(), nDelta, oLines);
}

}  // namespace

void RegisterWheelCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  oTable.Add(
      {"wheel", "DELTA [--lines N | --no-setting | --page]",
       "turns the mouse wheel over a stand-in grid window hooked by the add-in's wheel hook and prints "
       "the scroll messages it sends (positive DELTA: away from the user; 120 per notch)",
       On(pSession, RunWheel)});
}

}  // namespace app
