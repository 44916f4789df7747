#include "core/SString.h"

namespace oriel {

// Count -1: never shared by reference, never freed, never written.
TStringEmptyBlock g_stringEmptyBlock = {{-1, 0, 0}, 0};

}  // namespace oriel

namespace oriel {
template class TStringT<wchar_t, wchar_traits>;
template class TStringT<char, char_traits>;
}  // namespace oriel
