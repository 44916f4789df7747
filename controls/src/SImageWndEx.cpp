#include "controls/SImageWndEx.h"

#include <atomic>
#include <cwchar>

#include "core/SwndContainer.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

namespace {
// Keys of loads, unique across every picture window of the process.
std::atomic<unsigned> g_loadCounter{0};

bool ParseBool(const SStringW& value) { return !(value == L"0" || value.CompareNoCase(L"false") == 0); }
}  // namespace

SImageWndEx::SImageWndEx()
    : holder_(std::make_shared<CASyncBitmap>()), pool_(std::make_unique<CTaskThreadPool>(1)) {
  SWindow::ApplyAttribute(SStringW(L"msgTransparent"), SStringW(L"1"), TRUE);
}

SImageWndEx::~SImageWndEx() {
  // Stops the running load and joins the worker before the holder can go.
  pool_.reset();
}

BOOL SImageWndEx::IsClass(LPCWSTR cls) const {
  if (cls && (wcscmp(cls, L"imgex") == 0 || wcscmp(cls, L"img") == 0)) return TRUE;
  return SWindow::IsClass(cls);
}

HRESULT SImageWndEx::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"url")) {
    LoadUrl(value);
  } else if (AttrNameIs(name, L"url_toconn")) {
    limits_.connectMs = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"url_tosend")) {
    limits_.sendMs = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"url_torecv")) {
    limits_.receiveMs = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"url_retries")) {
    limits_.attempts = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"url_changeLoad")) {
    changeLoad_ = ParseAttrInt(value) != 0;
  } else if (AttrNameIs(name, L"keepSkinRatio")) {
    keepSkinRatio_ = ParseBool(value);
  } else if (AttrNameIs(name, L"wndShapeChange")) {
    wndShapeChange_ = ParseBool(value);
  } else if (AttrNameIs(name, L"filter")) {
    static const wchar_t* const levels[] = {L"none", L"low", L"medium", L"high"};
    int level = -1;
    for (int i = 0; i < 4; ++i)
      if (value == levels[i]) level = i;
    if (level < 0) return E_FAIL;
    filter_ = level;
  } else if (AttrNameIs(name, L"shape")) {
    if (value == L"none")
      shape_ = CASyncBitmap::kShapeAsLoaded;
    else if (value == L"circle")
      shape_ = CASyncBitmap::kShapeCircle;
    else
      return E_FAIL;
  } else if (AttrNameIs(name, L"skin")) {
    SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr();
    skinName_ = value;
    skin_ = pools ? pools->GetSkin(value, GetScale()) : nullptr;
    hr = S_OK;
  } else if (AttrNameIs(name, L"iconIndex")) {
    iconIndex_ = ParseAttrInt(value);
    hr = S_OK;
  } else if (AttrNameIs(name, L"tile")) {
    tile_ = ParseAttrInt(value);
    hr = S_OK;
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

void SImageWndEx::LoadUrl(const SStringW& url) {
  if (changeLoad_ && url == url_) return;
  holder_->SetActive(!url.IsEmpty());
  holder_->SetShape(shape_);
  url_ = url;
  ISwndContainer* container = GetContainer();
  auto task = std::make_shared<CLoadFile>(container ? container->GetHostHwnd() : nullptr,
                                          std::wstring(url.c_str()), holder_, GetHandle(), limits_);
  pool_->AddTask(std::to_wstring(g_loadCounter.fetch_add(1)), task);
  if (url.IsEmpty()) Invalidate();
}

bool SImageWndEx::DeliverImageLoaded(LPARAM lParam) {
  SWindowMgr* windows = SWindowMgr::getSingletonPtr();
  auto* window = windows ? dynamic_cast<SImageWndEx*>(windows->LookupWindow(static_cast<SWND>(lParam))) : nullptr;
  if (!window) return false;
  window->OnImageLoaded();
  return true;
}

void SImageWndEx::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  if (!skinName_.IsEmpty()) {
    SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr();
    skin_ = pools ? pools->GetSkin(skinName_, scale) : nullptr;
  }
  LoadUrl(url_);
}

void SImageWndEx::OnDestroy() {
  // No load may outlive the window's place in the tree.
  if (pool_) pool_->StopAll();
  SWindow::OnDestroy();
}

SIZE SImageWndEx::MeasureContent(const RECT*) { return skin_ ? skin_->NaturalSize() : SIZE{0, 0}; }

void SImageWndEx::PaintSkin(IRenderTarget* rt) {
  if (!skin_) return;
  const RECT client = ClientRect();
  if (!keepSkinRatio_) {
    skin_->DrawByIndex(rt, &client, iconIndex_);
    return;
  }
  const SIZE size = skin_->NaturalSize();
  if (size.cx <= 0 || size.cy <= 0) return;
  const int cw = client.right - client.left, ch = client.bottom - client.top;
  int w = size.cx, h = size.cy;
  if (cw < size.cx || ch < size.cy) {
    // Shrunk to fit, keeping the skin's proportions.
    const double ratio = static_cast<double>(size.cx) / size.cy;
    w = cw;
    h = static_cast<int>(cw / ratio);
    if (h > ch) {
      h = ch;
      w = static_cast<int>(ch * ratio);
    }
  }
  // A client at least as large as the skin shows it at its own size.
  RECT rc{client.left + (cw - w) / 2, client.top + (ch - h) / 2, 0, 0};
  rc.right = rc.left + w;
  rc.bottom = rc.top + h;
  skin_->DrawByIndex(rt, &rc, iconIndex_);
}

void SImageWndEx::OnPaint(IRenderTarget* rt) {
  const RECT rc = GetWindowRect();
  bool clipped = false;
  if (wndShapeChange_ && shape_ == CASyncBitmap::kShapeCircle) {
    IRegion* region = nullptr;
    if (rt->GetRenderFactory()->CreateRegion(&region)) {
      region->CombineEllipse(&rc, RGN_COPY);
      clipped = SUCCEEDED(rt->PushClipRegion(region, RGN_AND));
      region->Release();
    }
  }
  SWindow::OnPaint(rt);
  PaintSkin(rt);
  {
    std::lock_guard<std::mutex> lock(holder_->Mutex());
    SRefPtr<IBitmap> picture = holder_->GetPicture();
    if (picture && tile_ >= 0 && tile_ <= 2) {
      const UINT modes[] = {EM_STRETCH, EM_NULL, EM_TILE};
      const SIZE size = picture->Size();
      const RECT src{0, 0, size.cx, size.cy};
      rt->DrawBitmapEx(&rc, picture, &src, modes[tile_] | (static_cast<UINT>(filter_) << 16), 255);
    }
  }
  if (clipped) rt->PopClip();
}

}  // namespace ORIEL
