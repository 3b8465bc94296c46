// Office's command-bar interface IDs and dispatch IDs (the MSO type library), for the binding
// and for the simulated bars that answer like Office.
#pragma once

#include <windows.h>

namespace com::office {

// Office's GUIDs of the command bars share the tail -0000-0000-C000-000000000046.
constexpr IID OfficeGuid(unsigned long nFirst) {
  return IID{nFirst, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}

inline constexpr IID DIID__CommandBarsEvents = OfficeGuid(0x000C0352);
inline constexpr IID DIID__CommandBarButtonEvents = OfficeGuid(0x000C0351);
inline constexpr IID IID__CommandBars = OfficeGuid(0x000C0302);
inline constexpr IID IID_CommandBar = OfficeGuid(0x000C0304);
inline constexpr IID IID_CommandBarControls = OfficeGuid(0x000C0306);
inline constexpr IID IID_CommandBarControl = OfficeGuid(0x000C0308);
inline constexpr IID IID_CommandBarPopup = OfficeGuid(0x000C030A);
inline constexpr IID IID__CommandBarButton = OfficeGuid(0x000C030E);

// Events: OnUpdate of the bars, Click(Ctrl, CancelDefault by reference) of a button.
constexpr DISPID kBarsEventOnUpdate = 1;
constexpr DISPID kButtonEventClick = 1;

// Members whose Office numbers no client needs (clients bind by name) answer in a private range,
// clear of Office's.
constexpr DISPID kOwn = 0x7F000000;

// _CommandBars
constexpr DISPID kBarsItem = 0;
constexpr DISPID kBarsAdd = 1610809346;
constexpr DISPID kBarsCount = 1610809347;
constexpr DISPID kBarsFindControl = 1610809352;
constexpr DISPID kBarsParent = kOwn + 1;

// CommandBar
constexpr DISPID kBarControls = 1610874883;
constexpr DISPID kBarFindControl = 1610874887;
constexpr DISPID kBarName = 1610874894;
constexpr DISPID kBarVisible = 1610874910;
constexpr DISPID kBarLeft = kOwn + 2;
constexpr DISPID kBarPosition = kOwn + 3;
constexpr DISPID kBarRowIndex = kOwn + 4;
constexpr DISPID kBarProtection = kOwn + 5;
constexpr DISPID kBarTop = kOwn + 6;

// CommandBarControls
constexpr DISPID kControlsItem = 0;
constexpr DISPID kControlsAdd = 1610809344;
constexpr DISPID kControlsCount = 1610809345;

// CommandBarControl and CommandBarButton
constexpr DISPID kControlBeginGroup = 1610874880;
constexpr DISPID kControlCaption = 1610874883;
constexpr DISPID kControlId = 1610874899;
constexpr DISPID kControlTag = 1610874915;
constexpr DISPID kControlTooltipText = 1610874917;
constexpr DISPID kControlType = 1610874920;
constexpr DISPID kControlVisible = 1610874921;
constexpr DISPID kControlIndex = kOwn + 7;

// _CommandBarButton only
constexpr DISPID kButtonFaceId = 1610940419;
constexpr DISPID kButtonPasteFace = 1610940421;
constexpr DISPID kButtonStyle = 1610940426;
constexpr DISPID kButtonPicture = 1610940430;
constexpr DISPID kButtonMask = 1610940432;

// CommandBarPopup only
constexpr DISPID kPopupCommandBar = kOwn + 8;
constexpr DISPID kPopupControls = kOwn + 9;

}  // namespace com::office
