#pragma once
// The outside addresses the bottom bar and the about box open, all from
// the deployment's product information (empty when not configured; the
// advertising panel's keys are the online services', base/ProductInfo.h).

#include <string>

// The product information's keys.
inline constexpr const wchar_t kInfoWebsite[] = L"website";          // the product's web site
inline constexpr const wchar_t kInfoChannel[] = L"channel";          // distribution channel
inline constexpr const wchar_t kInfoCustomerUrl[] = L"customer_url"; // online customer service

// The customer-service address with the source tag ("pc_button",
// "pc_menu") as its "source" query parameter; empty when none is set.
std::wstring CustomerServiceAddress(const std::wstring& source);
// Opens that address with the shell; false (nothing opened) when empty or
// when the shell could not start.
bool OpenCustomerService(const std::wstring& source);
