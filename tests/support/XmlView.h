// An Outlook view that is nothing but its XML, for the readers of a view's definition.
#pragma once

#include <memory>
#include <string>

#include "host/Outlook.h"

namespace testsupport {

class XmlView : public host::View {
 public:
  explicit XmlView(std::string sXml) : m_sXml(std::move(sXml)) {}
  int32_t Class() override { return host::olView; }
  std::shared_ptr<host::OutlookObject> Parent() override { return nullptr; }
  std::string Name() override { return {}; }
  std::string XML() override { return m_sXml; }

 private:
  std::string m_sXml;
};

}  // namespace testsupport
