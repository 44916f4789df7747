// COM basics without COM: interface identities, per-thread initialisation
// counts and storage media. Nothing here needs a display.
#include "win32/ole.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDataObject = {0x0000010E, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDropTarget = {0x00000122, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace {
thread_local int t_comInits = 0;
thread_local int t_oleInits = 0;
}  // namespace

HRESULT CoInitializeEx(LPVOID, DWORD) { return t_comInits++ == 0 ? S_OK : S_FALSE; }

HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

void CoUninitialize() {
  // An unbalanced call is ignored rather than driving the count negative.
  if (t_comInits > 0) --t_comInits;
}

HRESULT OleInitialize(LPVOID reserved) {
  const HRESULT hr = CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
  ++t_oleInits;
  return hr;
}

void OleUninitialize() {
  if (t_oleInits == 0) return;
  --t_oleInits;
  CoUninitialize();
}

void ReleaseStgMedium(STGMEDIUM* medium) {
  if (!medium) return;
  if (medium->pUnkForRelease) {
    medium->pUnkForRelease->Release();
  } else if (medium->tymed == TYMED_HGLOBAL && medium->hGlobal) {
    GlobalFree(medium->hGlobal);
  }
  *medium = STGMEDIUM{};
}
