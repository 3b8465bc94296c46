#include "platform/portable/ScriptedBoxes.h"

namespace platform::portable {

int32_t ScriptedBoxes::DefaultAnswer(int32_t nButtons) {
  switch (nButtons & 0x0F) {
    case vbOKCancel: return vbOK;
    case vbAbortRetryIgnore: return vbAbort;
    case vbYesNoCancel:
    case vbYesNo: return vbYes;
    case vbRetryCancel: return vbRetry;
    default: return vbOK;
  }
}

int32_t ScriptedBoxes::Show(const std::string& sPrompt, int32_t nButtons, const std::string& sTitle) {
  int32_t nAnswer = DefaultAnswer(nButtons);
  if (!m_queAnswers.empty()) {
    nAnswer = m_queAnswers.front();
    m_queAnswers.pop_front();
  }
  m_vecShown.push_back({sPrompt, nButtons, sTitle, nAnswer});
  if (fnOnShown) fnOnShown(m_vecShown.back());
  return nAnswer;
}

}  // namespace platform::portable
