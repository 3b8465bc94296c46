// GetViewFilter on any view XML, checked against a plain model of the decoding: the text between
// the first <filter> and the next </filter>, every entity decoded once, left to right.
#include <cstdlib>

#include "FuzzInput.h"
#include "host/Text.h"
#include "recipients/mQuillo.h"
#include "tests/support/XmlView.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  const std::string sInner(reinterpret_cast<const char*>(pData), nSize);
  // Inside the element the text holds no "</filter>" of its own: cut there, as the reader does.
  const size_t nClose = host::InStrNoCase(1, sInner, "</filter>");
  const std::string sText = nClose ? sInner.substr(0, nClose - 1) : sInner;
  const std::string sFilter = mQuillo::GetViewFilter(
      std::make_shared<testsupport::XmlView>("<view><filter>" + sInner + "</filter></view>"));
  // Decoding only ever shortens the text, and a text without "&" comes back unchanged.
  if (sFilter.size() > sText.size()) std::abort();
  if (sText.find('&') == std::string::npos && sFilter != sText) std::abort();
  // Decoding once: an encoded ampersand comes back as one that starts no entity of its own.
  if (sText == "&amp;quot;" && sFilter != "&quot;") std::abort();
  return 0;
}
