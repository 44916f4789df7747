#include "core/SString.h"

#include "core/SArray.h"
#include "core/SList.h"
#include "core/SMap.h"

namespace ORIEL {

// Count -1: never shared by reference, never freed, never written.
TStringEmptyBlock g_stringEmptyBlock = {{-1, 0, 0}, 0};

template class TStringT<wchar_t, wchar_traits>;
template class TStringT<char, char_traits>;

// Compiled with the library, so that every member of the container
// templates is built at least once whoever uses them.
template class SArray<SStringW>;
template class SArray<int>;
template class SList<int>;
template class SMap<SStringW, int>;
template class SMap<void*, void*>;
template class SCmnMap<void*, unsigned>;

}  // namespace ORIEL
