// The product's web pages the program opens: the tutorial and the
// community (feedback) page. The deployment's product information
// ("jcurl", "squrl") wins; without it the build's defaults apply.
#pragma once

#include <string>

// The defaults, set when the program is built (QUORVALE_TUTORIAL_URL,
// QUORVALE_COMMUNITY_URL).
const wchar_t* DefaultTutorialUrl();
const wchar_t* DefaultCommunityUrl();

std::wstring TutorialUrl();
std::wstring CommunityUrl();

// Opens the address (the default community page when it is empty) with
// the desktop's handler, owned by `owner`.
void OpenCommunityUrl(const std::wstring& address, void* owner = nullptr);
