#include "com/simserver/OfficeServer.h"

#include "com/office/OfficeBinding.h"
#include "com/office/OfficeIds.h"
#include "com/simserver/ServerTable.h"
#include "host/Office.h"

namespace com::simserver {
namespace {

using host::Variant;
using namespace com::office;

// A face handed over COM: the bitmap an IPictureDisp carries.
std::shared_ptr<host::Picture> FaceOf(const Variant& v) {
  std::shared_ptr<host::Object> p = v.IsObject() ? v.ToObject() : nullptr;
  if (!p) host::Raise(host::err::ObjectNotSet);
  if (auto oPicture = std::dynamic_pointer_cast<host::Picture>(p)) return oPicture;
  if (auto* pHolder = dynamic_cast<const DispatchHolder*>(p.get()))
    if (auto oPicture = PictureFromDisp(pHolder->GetDispatch())) return oPicture;
  host::Raise(host::err::TypeMismatch, "The picture is no bitmap.");
}

template <class T>
ServerTable<T>& ControlMembers(ServerTable<T>& c) {
  c.Get("Id", kControlId, [](T& o) { return Variant(o.Id()); })
      .Get("Type", kControlType, [](T& o) { return Variant(o.Type()); })
      .Get("Caption", kControlCaption, [](T& o) { return Variant(o.Caption()); })
      .Put("Caption", kControlCaption, [](T& o, const Variant& v) { o.SetCaption(v.ToString()); })
      .Get("Tag", kControlTag, [](T& o) { return Variant(o.Tag()); })
      .Put("Tag", kControlTag, [](T& o, const Variant& v) { o.SetTag(v.ToString()); })
      .Get("TooltipText", kControlTooltipText, [](T& o) { return Variant(o.TooltipText()); })
      .Put("TooltipText", kControlTooltipText, [](T& o, const Variant& v) { o.SetTooltipText(v.ToString()); })
      .Get("BeginGroup", kControlBeginGroup, [](T& o) { return Variant(o.BeginGroup()); })
      .Put("BeginGroup", kControlBeginGroup, [](T& o, const Variant& v) { o.SetBeginGroup(v.ToBool()); })
      .Get("Visible", kControlVisible, [](T& o) { return Variant(o.Visible()); })
      .Put("Visible", kControlVisible, [](T& o, const Variant& v) { o.SetVisible(v.ToBool()); })
      .Get("Index", kControlIndex, [](T& o) { return Variant(o.Index()); });
  return c;
}

void ExposeControls() {
  ServerTable<host::CommandBarButton> button("_CommandBarButton");
  ControlMembers(button)
      .Interface(IID__CommandBarButton)
      .Interface(IID_CommandBarControl)
      .Get("Style", kButtonStyle, [](host::CommandBarButton& o) { return Variant(o.Style()); })
      .Put("Style", kButtonStyle, [](host::CommandBarButton& o, const Variant& v) { o.SetStyle(v.ToLong()); })
      .Get("FaceId", kButtonFaceId, [](host::CommandBarButton& o) { return Variant(o.FaceId()); })
      .Put("FaceId", kButtonFaceId,
           [](host::CommandBarButton& o, const Variant& v) { o.SetFaceId(v.ToLong()); })
      .Method("PasteFace", kButtonPasteFace, 0, 0,
              [](host::CommandBarButton& o, const Args&) {
                o.PasteFace();
                return Variant();
              })
      .Put("Picture", kButtonPicture,
           [](host::CommandBarButton& o, const Variant& v) { o.SetPicture(FaceOf(v)); })
      .Put("Mask", kButtonMask, [](host::CommandBarButton& o, const Variant& v) { o.SetMask(FaceOf(v)); })
      .Events(DIID__CommandBarButtonEvents, {kButtonEventClick})
      .Connect([](CServer& s, host::CommandBarButton& o) {
        std::vector<host::Connection> v;
        v.push_back(o.OnClick.Connect([&s](std::shared_ptr<host::CommandBarButton> pCtrl, bool& bCancel) {
          std::vector<Variant> a{Variant(pCtrl), Variant(bCancel)};
          s.Raise(kButtonEventClick, a, {1});
          bCancel = a[1].ToBool();
        }));
        return v;
      })
      .Expose();

  ServerTable<host::CommandBarPopup> popup("CommandBarPopup");
  ControlMembers(popup)
      .Interface(IID_CommandBarPopup)
      .Interface(IID_CommandBarControl)
      .Get("CommandBar", kPopupCommandBar, [](host::CommandBarPopup& o) { return Variant(o.CommandBar()); })
      .Get("Controls", kPopupControls, [](host::CommandBarPopup& o) { return Variant(o.Controls()); })
      .Expose();

  ServerTable<host::CommandBarControl> control("CommandBarControl");
  ControlMembers(control).Interface(IID_CommandBarControl).Expose();
}

void ExposeBars() {
  ServerTable<host::CommandBarControls>("CommandBarControls")
      .Interface(IID_CommandBarControls)
      .Method("Item", kControlsItem, 1, 1,
              [](host::CommandBarControls& o, const Args& a) { return Variant(o.Item(a[0])); })
      .Method("Add", kControlsAdd, 0, 5,
              [](host::CommandBarControls& o, const Args& a) {
                return Variant(o.Add(OptionalArg(a, 0), OptionalArg(a, 1), OptionalArg(a, 2),
                                     OptionalArg(a, 3), OptionalArg(a, 4)));
              })
      .Get("Count", kControlsCount, [](host::CommandBarControls& o) { return Variant(o.Count()); })
      .Expose();

  ServerTable<host::CommandBar>("CommandBar")
      .Interface(IID_CommandBar)
      .Get("Name", kBarName, [](host::CommandBar& o) { return Variant(o.Name()); })
      .Get("Controls", kBarControls, [](host::CommandBar& o) { return Variant(o.Controls()); })
      .Method("FindControl", kBarFindControl, 0, 5,
              [](host::CommandBar& o, const Args& a) {
                return Variant(o.FindControl(OptionalArg(a, 0), OptionalArg(a, 1), OptionalArg(a, 2),
                                             OptionalArg(a, 3), OptionalArg(a, 4)));
              })
      .Get("Position", kBarPosition, [](host::CommandBar& o) { return Variant(o.Position()); })
      .Put("Position", kBarPosition, [](host::CommandBar& o, const Variant& v) { o.SetPosition(v.ToLong()); })
      .Get("RowIndex", kBarRowIndex, [](host::CommandBar& o) { return Variant(o.RowIndex()); })
      .Put("RowIndex", kBarRowIndex, [](host::CommandBar& o, const Variant& v) { o.SetRowIndex(v.ToLong()); })
      .Get("Left", kBarLeft, [](host::CommandBar& o) { return Variant(o.Left()); })
      .Put("Left", kBarLeft, [](host::CommandBar& o, const Variant& v) { o.SetLeft(v.ToLong()); })
      .Get("Top", kBarTop, [](host::CommandBar& o) { return Variant(o.Top()); })
      .Put("Top", kBarTop, [](host::CommandBar& o, const Variant& v) { o.SetTop(v.ToLong()); })
      .Get("Protection", kBarProtection, [](host::CommandBar& o) { return Variant(o.Protection()); })
      .Put("Protection", kBarProtection,
           [](host::CommandBar& o, const Variant& v) { o.SetProtection(v.ToLong()); })
      .Get("Visible", kBarVisible, [](host::CommandBar& o) { return Variant(o.Visible()); })
      .Put("Visible", kBarVisible, [](host::CommandBar& o, const Variant& v) { o.SetVisible(v.ToBool()); })
      .Expose();

  ServerTable<host::CommandBars>("_CommandBars")
      .Interface(IID__CommandBars)
      .Method("Item", kBarsItem, 1, 1,
              [](host::CommandBars& o, const Args& a) { return Variant(o.Item(a[0])); })
      .Method(
          "Add", kBarsAdd, 0, 4,
          [](host::CommandBars& o, const Args& a) {
            return Variant(o.Add(OptionalArg(a, 0), OptionalArg(a, 1), OptionalArg(a, 2), OptionalArg(a, 3)));
          })
      .Get("Count", kBarsCount, [](host::CommandBars& o) { return Variant(o.Count()); })
      .Get("Parent", kBarsParent, [](host::CommandBars& o) { return Variant(o.Parent()); })
      .Events(DIID__CommandBarsEvents, {kBarsEventOnUpdate})
      .Connect([](CServer& s, host::CommandBars& o) {
        std::vector<host::Connection> v;
        v.push_back(o.OnUpdate.Connect(NotifyEvent(s, kBarsEventOnUpdate)));
        return v;
      })
      .Expose();
}

}  // namespace

void RegisterOfficeServers() {
  static bool s_bDone = false;
  if (s_bDone) return;
  s_bDone = true;
  // Buttons and popups before the plain control.
  ExposeControls();
  ExposeBars();
}

}  // namespace com::simserver
