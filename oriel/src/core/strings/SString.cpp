#include "core/SString.h"

namespace ORIEL {

// Count -1: never shared by reference, never freed, never written.
TStringEmptyBlock g_stringEmptyBlock = {{-1, 0, 0}, 0};

}  // namespace ORIEL

namespace ORIEL {
template class TStringT<wchar_t, wchar_traits>;
template class TStringT<char, char_traits>;
}  // namespace ORIEL

#include "core/SArray.h"
#include "core/SList.h"
#include "core/SMap.h"

// Instantiated here so that the templates are compiled with the library.
namespace ORIEL {
template class SArray<SStringW>;
template class SArray<int>;
template class SList<int>;
template class SMap<SStringW, int>;
template class SMap<void*, void*>;
template class SCmnMap<void*, unsigned>;
}  // namespace ORIEL
