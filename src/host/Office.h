// Office command bars of an explorer window and the Office add-in connection interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/Event.h"
#include "host/Object.h"
#include "host/Variant.h"

namespace host {

class CommandBar;
class CommandBarControls;
class CommandBarControl;

enum MsoControlType : int32_t { msoControlButton = 1, msoControlPopup = 10 };
enum MsoButtonStyle : int32_t {
  msoButtonIcon = 1,
  msoButtonCaption = 2,
  msoButtonIconAndCaption = 3,
};
enum MsoBarPosition : int32_t {
  msoBarLeft = 0,
  msoBarTop = 1,
  msoBarRight = 2,
  msoBarBottom = 3,
  msoBarFloating = 4,
};
enum MsoBarProtection : int32_t { msoBarNoProtection = 0, msoBarNoCustomize = 1 };

// A bitmap handed to a button face (IPictureDisp): rows top-down, one byte per pixel for
// 8-bit pictures, packed bits for 1-bit masks.
class Picture : public Object {
 public:
  std::string TypeName() const override { return "Picture"; }
  int32_t nWidth = 0;
  int32_t nHeight = 0;
  int32_t nBitsPerPixel = 0;
  std::vector<uint8_t> pixels;
};

class CommandBars : public Object {
 public:
  std::string TypeName() const override { return "CommandBars"; }
  virtual std::shared_ptr<CommandBar> Add(const Variant& Name = {}, const Variant& Position = {},
                                          const Variant& MenuBar = {}, const Variant& Temporary = {}) = 0;
  // By name or 1-based position; an error when there is none.
  virtual std::shared_ptr<CommandBar> Item(const Variant& Index) = 0;
  virtual int32_t Count() = 0;
  // The explorer that owns the bars.
  virtual std::shared_ptr<Object> Parent() = 0;

  // Raised on every refresh of the bars; handlers must stay cheap.
  Event<> OnUpdate;
};

class CommandBar : public Object {
 public:
  std::string TypeName() const override { return "CommandBar"; }
  virtual std::string Name() = 0;
  virtual std::shared_ptr<CommandBarControls> Controls() = 0;
  // Nothing when no control matches.
  virtual std::shared_ptr<CommandBarControl> FindControl(const Variant& Type = {}, const Variant& Id = {},
                                                         const Variant& Tag = {}, const Variant& Visible = {},
                                                         const Variant& Recursive = {}) = 0;
  virtual int32_t Position() = 0;
  virtual void SetPosition(int32_t n) = 0;
  virtual int32_t RowIndex() = 0;
  virtual void SetRowIndex(int32_t n) = 0;
  virtual int32_t Left() = 0;
  virtual void SetLeft(int32_t n) = 0;
  virtual int32_t Top() = 0;
  virtual void SetTop(int32_t n) = 0;
  virtual int32_t Protection() = 0;
  virtual void SetProtection(int32_t n) = 0;
  virtual bool Visible() = 0;
  virtual void SetVisible(bool b) = 0;
};

class CommandBarControls : public Object {
 public:
  std::string TypeName() const override { return "CommandBarControls"; }
  virtual std::shared_ptr<CommandBarControl> Add(const Variant& Type = {}, const Variant& Id = {},
                                                 const Variant& Parameter = {}, const Variant& Before = {},
                                                 const Variant& Temporary = {}) = 0;
  virtual int32_t Count() = 0;
  virtual std::shared_ptr<CommandBarControl> Item(const Variant& Index) = 0;
};

class CommandBarControl : public Object {
 public:
  std::string TypeName() const override { return "CommandBarControl"; }
  virtual int32_t Id() = 0;
  virtual int32_t Type() = 0;
  virtual std::string Caption() = 0;
  virtual void SetCaption(const std::string& s) = 0;
  virtual std::string Tag() = 0;
  virtual void SetTag(const std::string& s) = 0;
  virtual std::string TooltipText() = 0;
  virtual void SetTooltipText(const std::string& s) = 0;
  virtual bool BeginGroup() = 0;
  virtual void SetBeginGroup(bool b) = 0;
  virtual bool Visible() = 0;
  virtual void SetVisible(bool b) = 0;
  virtual int32_t Index() = 0;
};

class CommandBarButton : public CommandBarControl {
 public:
  std::string TypeName() const override { return "CommandBarButton"; }
  virtual int32_t Style() = 0;
  virtual void SetStyle(int32_t n) = 0;
  virtual int32_t FaceId() = 0;
  virtual void SetFaceId(int32_t n) = 0;
  // Pastes the picture on the clipboard as the button face.
  virtual void PasteFace() = 0;
  // Late-bound in the add-in: Office 2000 has no Picture and Mask, so these fail there.
  virtual void SetPicture(const std::shared_ptr<host::Picture>& oPicture) = 0;
  virtual void SetMask(const std::shared_ptr<host::Picture>& oMask) = 0;

  // Click(Ctrl, CancelDefault)
  Event<std::shared_ptr<CommandBarButton>, bool&> OnClick;
};

class CommandBarPopup : public CommandBarControl {
 public:
  std::string TypeName() const override { return "CommandBarPopup"; }
  virtual std::shared_ptr<host::CommandBar> CommandBar() = 0;
  virtual std::shared_ptr<CommandBarControls> Controls() = 0;
};

// The four events of the add-in designer interface (IDTExtensibility2) that Outlook raises on
// the add-in's connection class.
class AddIn : public Object {
 public:
  virtual void OnConnection(const std::shared_ptr<Object>& Application, int32_t ConnectMode,
                            const std::shared_ptr<Object>& AddInInst, Variant& custom) = 0;
  virtual void OnStartupComplete(Variant& custom) = 0;
  virtual void OnBeginShutdown(Variant& custom) = 0;
  virtual void OnDisconnection(int32_t RemoveMode, Variant& custom) = 0;
};

enum ext_ConnectMode : int32_t { ext_cm_AfterStartup = 0, ext_cm_Startup = 1 };
enum ext_DisconnectMode : int32_t { ext_dm_HostShutdown = 0, ext_dm_UserClosed = 1 };

}  // namespace host
