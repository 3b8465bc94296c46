// Office's command bars over IDispatch: the host interfaces bound by member name to the bars of a
// real Outlook explorer (or anything that answers like them), the bars' OnUpdate and the
// buttons' Click sunk through connection points with Office's event interfaces.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <memory>

#include "com/ComPtr.h"
#include "host/Office.h"

namespace com::office {

// Makes the bound interfaces available to com::Bind; once per module.
void RegisterBinders();

// Any control as the host interface its Type names: a button, a popup, or a plain control.
std::shared_ptr<host::CommandBarControl> BindControl(const std::shared_ptr<host::Object>& p);

// Button faces cross COM as IPictureDisp (a bitmap). The bitmap keeps the picture's own bits, so a
// face read back from a picture made here is the picture that went out.
ComPtr<IPictureDisp> PictureDispOf(const host::Picture& oPicture);
// nullptr when the object is no bitmap picture.
std::shared_ptr<host::Picture> PictureFromDisp(IDispatch* p);
// A picture that goes out as the IPictureDisp made of it.
std::shared_ptr<host::Picture> ExposablePicture(const std::shared_ptr<host::Picture>& oPicture);

}  // namespace com::office
