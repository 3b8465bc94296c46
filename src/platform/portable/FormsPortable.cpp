#include "platform/portable/FormsPortable.h"

#include <string>

#include "host/Text.h"
#include "platform/Controls.h"
#include "platform/Ui.h"
#include "platform/portable/VirtualLoop.h"

namespace platform::portable {
namespace {

bool FormShown(const Form& oForm) {
  return oForm.IsLoaded() && oForm.Visible();
}

bool ControlShown(const Control& c) {
  return FormShown(c.Parent()) && c.ShownWithContainers();
}

bool TakesInput(const Control& c) {
  return ControlShown(c) && c.EnabledWithContainers();
}

class PortableControlPeer : public ControlPeer {
 public:
  explicit PortableControlPeer(WindowHandle h) : m_h(h) {}
  void Sync(Prop) override {}
  WindowHandle Handle() const override { return m_h; }
  void Focus() override {}

 private:
  WindowHandle m_h;
};

class PortableFormPeer : public FormPeer {
 public:
  PortableFormPeer(PortableForms& oBackend, Form& oForm)
      : m_oBackend(oBackend), m_oForm(oForm), m_h(oBackend.NewHandle()) {}

  void Sync(Prop) override {}

  std::shared_ptr<ControlPeer> CreateControl(Control& oControl) override {
    if (oControl.GetKind() == Control::Kind::TreeView || oControl.GetKind() == Control::Kind::Grid)
      host::Raise(host::err::NoSuchMember,
                  "The control " + oControl.Name() + " is of a kind that is not built yet");
    return std::make_shared<PortableControlPeer>(m_oBackend.NewHandle());
  }

  void Show() override {}
  void Hide() override {}
  WindowHandle Handle() const override { return m_h; }

  void RunModal() override {
    uint32_t nWaited = 0;
    while (FormShown(m_oForm)) {
      Loop().DoEvents();
      if (!FormShown(m_oForm)) break;
      if (m_oBackend.fnOnModalIdle && m_oBackend.fnOnModalIdle(m_oForm)) {
        nWaited = 0;
        continue;
      }
      // Work that falls due later (timers, searches completing) comes before giving up.
      auto* pVirtual = dynamic_cast<VirtualLoop*>(&Loop());
      if (pVirtual && pVirtual->PendingCount() > 0 && nWaited < PortableForms::kModalPatienceMs) {
        pVirtual->Advance(1);
        ++nWaited;
        continue;
      }
      // No user will ever come: the dialog is closed as a user giving up would close it.
      m_oBackend.Dispatch([&] { m_oForm.RequestClose(vbFormControlMenu); });
      if (FormShown(m_oForm))
        host::Raise(host::err::E_FAIL,
                    "The modal form " + m_oForm.Name() + " waits for a user action that nothing provides");
    }
  }

 private:
  PortableForms& m_oBackend;
  Form& m_oForm;
  WindowHandle m_h;
};

class PortableDriver : public FormsDriver {
 public:
  explicit PortableDriver(PortableForms& oBackend) : m_oBackend(oBackend) {}

  void Click(Control& c) override {
    if (!TakesInput(c)) return;
    m_oBackend.Dispatch([&] {
      if (auto* pButton = dynamic_cast<Button*>(&c)) {
        c.SetFocus();
        pButton->PerformClick();
      } else if (auto* pCheck = dynamic_cast<CheckBox*>(&c)) {
        c.SetFocus();
        pCheck->Toggle();
      }
    });
  }

  void CloseBox(Form& oForm) override {
    if (!FormShown(oForm)) return;
    m_oBackend.Dispatch([&] { oForm.RequestClose(vbFormControlMenu); });
  }

  void PressKey(Control& c, int16_t nKeyCode) override {
    if (!TakesInput(c)) return;
    m_oBackend.Dispatch([&] {
      c.SetFocus();
      if (c.Parent().RouteKeyDown(c, nKeyCode, 0)) return;
      // The keys that also type a character, as TranslateMessage makes one.
      if (nKeyCode == vbKeyBack || nKeyCode == vbKeyReturn || nKeyCode == vbKeyEscape ||
          nKeyCode == vbKeySpace)
        TypeChar(c, nKeyCode);
    });
  }

  void Type(Control& c, const std::string& sText) override {
    if (!TakesInput(c)) return;
    m_oBackend.Dispatch([&] {
      c.SetFocus();
      // Characters arrive as an ANSI window gets them, one byte each.
      for (char ch : host::Utf8ToAnsi(sText)) TypeChar(c, static_cast<unsigned char>(ch));
    });
  }

  bool IsShown(const Form& oForm) override { return FormShown(oForm); }
  bool IsShown(const Control& c) override { return ControlShown(c); }
  bool IsEnabled(const Control& c) override { return c.EnabledWithContainers(); }
  std::string CaptionOf(const Form& oForm) override { return oForm.Caption(); }
  std::string TextOf(const Control& c) override { return ControlText(c); }
  int32_t ValueOf(const Control& c) override { return ControlValue(c); }
  TwipsRect ClientOf(const Form& oForm) override { return {0, 0, oForm.ScaleWidth(), oForm.ScaleHeight()}; }
  WindowHandle OwnerOf(const Form& oForm) override { return oForm.Owner(); }

 private:
  // One character typed on the focused control; a text box takes it as an edit control would.
  static void TypeChar(Control& c, int16_t nChar) {
    int16_t nAscii = c.Parent().RouteKeyPress(c, nChar);
    auto* pText = dynamic_cast<TextBox*>(&c);
    if (!pText || nAscii == 0) return;
    std::string sText = pText->Text();
    if (nAscii == vbKeyBack) {
      // Back deletes one whole character, not one byte of it.
      while (!sText.empty() && (static_cast<unsigned char>(sText.back()) & 0xC0) == 0x80) sText.pop_back();
      if (!sText.empty()) sText.pop_back();
    } else if (nAscii >= 32) {
      sText += host::AnsiToUtf8(std::string(1, static_cast<char>(nAscii)));
    } else {
      return;  // control characters (Enter, Esc) are not text
    }
    pText->NativeText(sText);
  }

  PortableForms& m_oBackend;
};

}  // namespace

PortableForms::PortableForms() : m_pDriver(std::make_unique<PortableDriver>(*this)) {}
PortableForms::~PortableForms() = default;

std::shared_ptr<FormPeer> PortableForms::CreateForm(Form& oForm) {
  return std::make_shared<PortableFormPeer>(*this, oForm);
}

FormsDriver& PortableForms::Driver() {
  return *m_pDriver;
}

std::shared_ptr<PortableForms> InstallPortableForms() {
  auto pForms = std::make_shared<PortableForms>();
  SetFormsBackend(pForms);
  return pForms;
}

}  // namespace platform::portable
