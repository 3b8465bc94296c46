#include "com/office/OfficeBinding.h"

#include <cstdlib>
#include <cstring>
#include <typeindex>
#include <vector>

#include "com/BoundObject.h"
#include "com/Bridge.h"
#include "com/Error.h"
#include "com/Events.h"
#include "com/office/OfficeIds.h"
#include "com/outlook/OutlookBinding.h"

namespace com::office {
namespace {

using host::Variant;

class CBound : public BoundObject {
 public:
  using BoundObject::BoundObject;

 protected:
  std::shared_ptr<host::CommandBarControl> Control(const char* sName, Vars args = {}) const {
    return BindControl(m_d.Call(sName, std::move(args)).ToObject());
  }
};

class CBars : public host::CommandBars, public CBound {
 public:
  explicit CBars(ComPtr<IDispatch> p) : CBound(std::move(p)) {
    // Bars without the event interface simply never update.
    try {
      m_oEvents = Advise(m_d.get(), DIID__CommandBarsEvents,
                         {{kBarsEventOnUpdate, [this](const Args&) { OnUpdate.Raise(); }}});
    } catch (const host::Error&) {
    }
  }
  std::shared_ptr<host::CommandBar> Add(const Variant& Name, const Variant& Position, const Variant& MenuBar,
                                        const Variant& Temporary) override {
    return Obj<host::CommandBar>("Add", Trim({Name, Position, MenuBar, Temporary}));
  }
  std::shared_ptr<host::CommandBar> Item(const Variant& Index) override {
    return Obj<host::CommandBar>("Item", {Index});
  }
  int32_t Count() override { return Long("Count"); }
  // The explorer as the Outlook model has it; as a plain object where the model has no binding.
  std::shared_ptr<host::Object> Parent() override {
    std::shared_ptr<host::Object> p = m_d.Get("Parent").ToObject();
    try {
      return outlook::BindOutlookObject(p);
    } catch (const host::Error&) {
      return p;
    }
  }

 private:
  SinkConnection m_oEvents;
};

class CBar : public host::CommandBar, public CBound {
 public:
  using CBound::CBound;
  std::string Name() override { return Str("Name"); }
  std::shared_ptr<host::CommandBarControls> Controls() override {
    return Obj<host::CommandBarControls>("Controls");
  }
  std::shared_ptr<host::CommandBarControl> FindControl(const Variant& Type, const Variant& Id,
                                                       const Variant& Tag, const Variant& Visible,
                                                       const Variant& Recursive) override {
    return Control("FindControl", Trim({Type, Id, Tag, Visible, Recursive}));
  }
  int32_t Position() override { return Long("Position"); }
  void SetPosition(int32_t n) override { m_d.Put("Position", n); }
  int32_t RowIndex() override { return Long("RowIndex"); }
  void SetRowIndex(int32_t n) override { m_d.Put("RowIndex", n); }
  int32_t Left() override { return Long("Left"); }
  void SetLeft(int32_t n) override { m_d.Put("Left", n); }
  int32_t Top() override { return Long("Top"); }
  void SetTop(int32_t n) override { m_d.Put("Top", n); }
  int32_t Protection() override { return Long("Protection"); }
  void SetProtection(int32_t n) override { m_d.Put("Protection", n); }
  bool Visible() override { return Bool("Visible"); }
  void SetVisible(bool b) override { m_d.Put("Visible", b); }
};

class CControls : public host::CommandBarControls, public CBound {
 public:
  using CBound::CBound;
  std::shared_ptr<host::CommandBarControl> Add(const Variant& Type, const Variant& Id,
                                               const Variant& Parameter, const Variant& Before,
                                               const Variant& Temporary) override {
    return Control("Add", Trim({Type, Id, Parameter, Before, Temporary}));
  }
  int32_t Count() override { return Long("Count"); }
  std::shared_ptr<host::CommandBarControl> Item(const Variant& Index) override {
    return Control("Item", {Index});
  }
};

// The members every control has.
template <class Base>
class CControlOf : public Base, public CBound {
 public:
  explicit CControlOf(ComPtr<IDispatch> p) : CBound(std::move(p)) {}
  int32_t Id() override { return Long("Id"); }
  int32_t Type() override { return Long("Type"); }
  std::string Caption() override { return Str("Caption"); }
  void SetCaption(const std::string& s) override { m_d.Put("Caption", s); }
  std::string Tag() override { return Str("Tag"); }
  void SetTag(const std::string& s) override { m_d.Put("Tag", s); }
  std::string TooltipText() override { return Str("TooltipText"); }
  void SetTooltipText(const std::string& s) override { m_d.Put("TooltipText", s); }
  bool BeginGroup() override { return Bool("BeginGroup"); }
  void SetBeginGroup(bool b) override { m_d.Put("BeginGroup", b); }
  bool Visible() override { return Bool("Visible"); }
  void SetVisible(bool b) override { m_d.Put("Visible", b); }
  int32_t Index() override { return Long("Index"); }
};

class CControl : public CControlOf<host::CommandBarControl> {
 public:
  using CControlOf::CControlOf;
};

class CButton : public CControlOf<host::CommandBarButton> {
 public:
  explicit CButton(ComPtr<IDispatch> p) : CControlOf(std::move(p)) {
    try {
      m_oEvents = Advise(m_d.get(), DIID__CommandBarButtonEvents,
                         {{kButtonEventClick, [this](const Args& a) { Click(a); }}});
    } catch (const host::Error&) {
    }
  }
  int32_t Style() override { return Long("Style"); }
  void SetStyle(int32_t n) override { m_d.Put("Style", n); }
  int32_t FaceId() override { return Long("FaceId"); }
  void SetFaceId(int32_t n) override { m_d.Put("FaceId", n); }
  void PasteFace() override { m_d.Call("PasteFace"); }
  void SetPicture(const std::shared_ptr<host::Picture>& oPicture) override { PutFace("Picture", oPicture); }
  void SetMask(const std::shared_ptr<host::Picture>& oMask) override { PutFace("Mask", oMask); }

 private:
  void PutFace(const char* sName, const std::shared_ptr<host::Picture>& oPicture) {
    host::Deref(oPicture);
    m_d.Put(sName, Variant(std::shared_ptr<host::Object>(ExposablePicture(oPicture))));
  }
  // Ctrl is the button clicked (the handler's own, or another with its tag); CancelDefault goes
  // back as the handlers left it.
  void Click(const Args& a) {
    std::shared_ptr<host::CommandBarButton> oCtrl;
    host::IgnoreErrors([&] { oCtrl = host::As<host::CommandBarButton>(BindControl(a.Object(0))); });
    bool bCancel = a[1].IsEmpty() ? false : a[1].ToBool();
    OnClick.Raise(oCtrl, bCancel);
    a.Set(1, bCancel);
  }
  SinkConnection m_oEvents;
};

class CPopup : public CControlOf<host::CommandBarPopup> {
 public:
  using CControlOf::CControlOf;
  std::shared_ptr<host::CommandBar> CommandBar() override { return Obj<host::CommandBar>("CommandBar"); }
  std::shared_ptr<host::CommandBarControls> Controls() override {
    return Obj<host::CommandBarControls>("Controls");
  }
};

// A picture made here, with the IPictureDisp that carries it.
class CPictureDisp : public host::Picture, public DispatchHolder {
 public:
  explicit CPictureDisp(const host::Picture& o) : host::Picture(o) {
    m_p = PictureDispOf(o);
    m_pDisp = m_p.As<IDispatch>(IID_IDispatch);
  }
  IDispatch* GetDispatch() const override { return m_pDisp.get(); }

 private:
  ComPtr<IPictureDisp> m_p;
  ComPtr<IDispatch> m_pDisp;
};

size_t RowBytes(int32_t nWidth, int32_t nBits) {
  return (static_cast<size_t>(nWidth) * static_cast<size_t>(nBits) + 7) / 8;
}

}  // namespace

std::shared_ptr<host::CommandBarControl> BindControl(const std::shared_ptr<host::Object>& p) {
  if (!p) return nullptr;
  auto* pGeneric = dynamic_cast<CDispatchObject*>(p.get());
  if (!pGeneric) return host::As<host::CommandBarControl>(p);
  switch (pGeneric->Disp().Get("Type").ToLong()) {
    case host::msoControlButton: return Bind<host::CommandBarButton>(p);
    case host::msoControlPopup: return Bind<host::CommandBarPopup>(p);
    default: return host::As<host::CommandBarControl>(BindAs(p, typeid(CControl)));
  }
}

ComPtr<IPictureDisp> PictureDispOf(const host::Picture& o) {
  const int32_t nBits = o.nBitsPerPixel;
  if (o.nWidth <= 0 || o.nHeight <= 0 || o.nWidth > 4096 || o.nHeight > 4096 ||
      (nBits != 1 && nBits != 4 && nBits != 8 && nBits != 24 && nBits != 32) ||
      o.pixels.size() < RowBytes(o.nWidth, nBits) * static_cast<size_t>(o.nHeight))
    host::Raise(host::err::InvalidProcedureCall, "The picture is no bitmap that can be handed to Office.");
  // A grey ramp for the palette: the picture carries indices only, and the far side reads them
  // back from the bitmap's own bits.
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD aColours[256];
  } bmi{};
  bmi.h.biSize = sizeof(BITMAPINFOHEADER);
  bmi.h.biWidth = o.nWidth;
  // Bottom-up, the one row order every reader of a DIB section agrees on.
  bmi.h.biHeight = o.nHeight;
  bmi.h.biPlanes = 1;
  bmi.h.biBitCount = static_cast<WORD>(nBits);
  bmi.h.biCompression = BI_RGB;
  if (nBits <= 8) {
    int nColours = 1 << nBits;
    bmi.h.biClrUsed = static_cast<DWORD>(nColours);
    for (int i = 0; i < nColours; ++i) {
      BYTE c = static_cast<BYTE>(i * 255 / (nColours - 1));
      bmi.aColours[i] = RGBQUAD{c, c, c, 0};
    }
  }
  void* pBits = nullptr;
  HBITMAP hBitmap =
      CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS, &pBits, nullptr, 0);
  if (!hBitmap || !pBits) host::Raise(static_cast<int32_t>(E_OUTOFMEMORY), "No bitmap for the picture.");
  const size_t nRow = RowBytes(o.nWidth, nBits);
  const size_t nStride = ((static_cast<size_t>(o.nWidth) * static_cast<size_t>(nBits) + 31) / 32) * 4;
  for (int32_t y = 0; y < o.nHeight; ++y)
    std::memcpy(static_cast<BYTE*>(pBits) + static_cast<size_t>(o.nHeight - 1 - y) * nStride,
                o.pixels.data() + static_cast<size_t>(y) * nRow, nRow);
  PICTDESC pd{};
  pd.cbSizeofstruct = sizeof(pd);
  pd.picType = PICTYPE_BITMAP;
  pd.bmp.hbitmap = hBitmap;
  ComPtr<IPictureDisp> p;
  HRESULT hr = OleCreatePictureIndirect(&pd, IID_IPictureDisp, TRUE, p.put_void());
  if (FAILED(hr) || !p) {
    DeleteObject(hBitmap);
    RaiseHResult(FAILED(hr) ? hr : E_OUTOFMEMORY);
  }
  return p;
}

std::shared_ptr<host::Picture> PictureFromDisp(IDispatch* pDisp) {
  if (!pDisp) return nullptr;
  ComPtr<IPicture> pPicture;
  if (FAILED(pDisp->QueryInterface(IID_IPicture, pPicture.put_void())) || !pPicture) return nullptr;
  SHORT nType = PICTYPE_UNINITIALIZED;
  OLE_HANDLE hHandle = 0;
  if (FAILED(pPicture->get_Type(&nType)) || nType != PICTYPE_BITMAP || FAILED(pPicture->get_Handle(&hHandle)))
    return nullptr;
  auto hBitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(hHandle));
  auto oOut = std::make_shared<host::Picture>();
  DIBSECTION ds{};
  if (GetObjectW(hBitmap, sizeof(ds), &ds) == sizeof(ds) && ds.dsBm.bmBits) {
    // A device-independent bitmap: its own bits, row by row.
    oOut->nWidth = ds.dsBm.bmWidth;
    oOut->nHeight = std::abs(ds.dsBmih.biHeight);
    oOut->nBitsPerPixel = ds.dsBm.bmBitsPixel;
    const size_t nRow = RowBytes(oOut->nWidth, oOut->nBitsPerPixel);
    const bool bTopDown = ds.dsBmih.biHeight < 0;
    const auto* pBits = static_cast<const BYTE*>(ds.dsBm.bmBits);
    for (int32_t y = 0; y < oOut->nHeight; ++y) {
      int32_t nSource = bTopDown ? y : oOut->nHeight - 1 - y;
      const BYTE* pRow = pBits + static_cast<size_t>(nSource) * static_cast<size_t>(ds.dsBm.bmWidthBytes);
      oOut->pixels.insert(oOut->pixels.end(), pRow, pRow + nRow);
    }
    return oOut;
  }
  // Any other bitmap: as 24-bit colour.
  BITMAP bm{};
  if (GetObjectW(hBitmap, sizeof(bm), &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = bm.bmWidth;
  bmi.bmiHeader.biHeight = -bm.bmHeight;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 24;
  bmi.bmiHeader.biCompression = BI_RGB;
  const size_t nStride = ((static_cast<size_t>(bm.bmWidth) * 24 + 31) / 32) * 4;
  std::vector<BYTE> vecBits(nStride * static_cast<size_t>(bm.bmHeight));
  HDC hdc = GetDC(nullptr);
  int nLines =
      GetDIBits(hdc, hBitmap, 0, static_cast<UINT>(bm.bmHeight), vecBits.data(), &bmi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, hdc);
  if (nLines != bm.bmHeight) return nullptr;
  oOut->nWidth = bm.bmWidth;
  oOut->nHeight = bm.bmHeight;
  oOut->nBitsPerPixel = 24;
  const size_t nRow = RowBytes(bm.bmWidth, 24);
  for (int32_t y = 0; y < bm.bmHeight; ++y)
    oOut->pixels.insert(oOut->pixels.end(), vecBits.begin() + static_cast<std::ptrdiff_t>(y * nStride),
                        vecBits.begin() + static_cast<std::ptrdiff_t>(y * nStride + nRow));
  return oOut;
}

std::shared_ptr<host::Picture> ExposablePicture(const std::shared_ptr<host::Picture>& oPicture) {
  if (!oPicture || dynamic_cast<const DispatchHolder*>(oPicture.get())) return oPicture;
  return std::make_shared<CPictureDisp>(*oPicture);
}

void RegisterBinders() {
  static bool s_bDone = false;
  if (s_bDone) return;
  s_bDone = true;
  AddBound<host::CommandBars, CBars>();
  AddBound<host::CommandBar, CBar>();
  AddBound<host::CommandBarControls, CControls>();
  AddBound<host::CommandBarButton, CButton>();
  AddBound<host::CommandBarPopup, CPopup>();
  AddBound<CControl, CControl>();
  // A control asked for as any control: its type decides.
  AddBinder(typeid(host::CommandBarControl), [](ComPtr<IDispatch> p) -> std::shared_ptr<host::Object> {
    return BindControl(std::make_shared<CDispatchObject>(std::move(p)));
  });
}

}  // namespace com::office
