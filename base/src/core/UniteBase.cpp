#include "base/UniteBase.h"

#include "crt/wprintf.h"

CUniteBase::CUniteBase() = default;
CUniteBase::~CUniteBase() = default;

int CUniteBase::FillText(CBufferDynamic& buffer, const wchar_t* method, const wchar_t* format,
                         va_list args) {
  va_list counting;
  va_copy(counting, args);
  const int count = format == nullptr ? -1 : _vscwprintf(format, counting);
  va_end(counting);
  if (count < 0) {
    // The failure text fits: a buffer's capacity starts at 260 and only grows.
    _stprintf_s(buffer.getBuffer(), buffer.getCapacity(), L"Err:_vsctprintf,%s", method);
    return -1;
  }
  if (static_cast<uint32_t>(count) >= buffer.getCapacity()) {
    buffer.grow(static_cast<uint32_t>(count), false);
  }
  va_list printing;
  va_copy(printing, args);
  const int written = _vswprintf_s(buffer.getBuffer(), buffer.getCapacity(), format, printing);
  va_end(printing);
  if (written < 0) {
    _stprintf_s(buffer.getBuffer(), buffer.getCapacity(), L"Err:_stprintf_s,%s,%d", method, written);
    return written;
  }
  return written;
}

int CUniteBase::setLastError(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = FillText(lastError_, L"CUniteBase::setLastError", format, args);
  va_end(args);
  return n;
}

const wchar_t* CUniteBase::getLastError() { return lastError_.getBuffer(); }

void CUniteBase::clearLastError() { lastError_.getBuffer()[0] = L'\0'; }

int CUniteBase::setResponse(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = FillText(response_, L"CUniteBase::setResponse", format, args);
  va_end(args);
  return n;
}

const wchar_t* CUniteBase::getResponse() { return response_.getBuffer(); }

void CUniteBase::clearResponse() { response_.getBuffer()[0] = L'\0'; }

int CUniteBase::SetLastError(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = FillText(lastError_, L"CUniteBase::SetLastError", format, args);
  va_end(args);
  return n;
}

const wchar_t* CUniteBase::GetLastError() { return getLastError(); }

void CUniteBase::ClearLastError() { clearLastError(); }

int CUniteBase::SetResponse(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = FillText(response_, L"CUniteBase::SetResponse", format, args);
  va_end(args);
  return n;
}

const wchar_t* CUniteBase::GetResponse() { return getResponse(); }

void CUniteBase::ClearResponse() { clearResponse(); }

int CUniteBase::SetLastErrorText(const std::wstring& text) {
  return SetLastError(L"%s", text.c_str());
}

int CUniteBase::SetResponseText(const std::wstring& text) {
  return SetResponse(L"%s", text.c_str());
}
