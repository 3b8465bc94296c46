// Message boxes answered by a script: tests and quillo-sim queue the answers ("answer No to
// the next box"); every box shown is recorded. With no answer queued a box takes its default
// button (the first one), as pressing Enter would.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Ui.h"

namespace platform::portable {

class ScriptedBoxes : public MessageBoxes {
 public:
  struct Shown {
    std::string sPrompt;
    int32_t nButtons = 0;
    std::string sTitle;
    int32_t nAnswer = 0;
  };

  int32_t Show(const std::string& sPrompt, int32_t nButtons, const std::string& sTitle) override;

  void QueueAnswer(int32_t nAnswer) { m_queAnswers.push_back(nAnswer); }
  const std::vector<Shown>& History() const { return m_vecShown; }
  void ClearHistory() { m_vecShown.clear(); }
  // Called after each box is recorded (quillo-sim prints it).
  std::function<void(const Shown&)> fnOnShown;

  static int32_t DefaultAnswer(int32_t nButtons);

 private:
  std::deque<int32_t> m_queAnswers;
  std::vector<Shown> m_vecShown;
};

}  // namespace platform::portable
