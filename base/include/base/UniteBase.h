// Base of the utility classes that report failure by a success flag plus a
// last-error text, and keep a response text beside it.
//
// Setters take a wide printf-style format (Windows dialect). They return
// the number of characters written, or a negative number when the text
// could not be formatted; the buffer then holds an "Err:..." text naming
// the setter. A text that is not itself a format (a message from a library,
// a path) must go through the *Text setters, so a '%' in it is never read
// as a conversion.
#pragma once

#include <cstdarg>
#include <string>

#include "base/BufferDynamic.h"

class CUniteBase {
 public:
  CUniteBase();
  virtual ~CUniteBase();

  virtual void reserved() {}

  virtual int setLastError(const wchar_t* format, ...);
  virtual const wchar_t* getLastError();
  virtual void clearLastError();
  virtual int setResponse(const wchar_t* format, ...);
  virtual const wchar_t* getResponse();
  virtual void clearResponse();

  virtual int SetLastError(const wchar_t* format, ...);
  virtual const wchar_t* GetLastError();
  virtual void ClearLastError();
  virtual int SetResponse(const wchar_t* format, ...);
  virtual const wchar_t* GetResponse();
  virtual void ClearResponse();

  // Store a plain text as it stands (through "%s" of the setters above).
  int SetLastErrorText(const std::wstring& text);
  int SetResponseText(const std::wstring& text);

 protected:
  // Formats into buffer; method names the caller in the failure texts.
  static int FillText(CBufferDynamic& buffer, const wchar_t* method, const wchar_t* format,
                      va_list args);

  CBufferDynamic lastError_;
  CBufferDynamic response_;
};
