#pragma once
// The deployment's own settings: product information, service addresses,
// the usage-event sink, the update provider, crash identity, upload host.
// They come from the section [product] of product.ini beside the
// executable, or of the file QUORVALE_PRODUCT_INI names (tests, packagers).
// Every key is empty when it is not configured: each outside service is off
// until someone configures it.
//
// The file may be UTF-8 (with or without a byte-order mark), as people
// write it by hand, or UTF-16LE with FF FE, as the program's own settings
// files are.

#include <string>

// The value of `key` (names compared without regard to case), trimmed, one
// pair of quotes removed; empty when the file, the section or the key is
// missing or the file cannot be read.
std::wstring GetProductInfo(const std::wstring& key);

// The file GetProductInfo reads.
std::wstring GetProductInfoPath();
