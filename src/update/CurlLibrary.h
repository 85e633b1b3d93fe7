// libcurl, loaded when the first request is made: a program that never checks for updates does
// not map libcurl and its TLS libraries at start.
#pragma once

#include <curl/curl.h>

#include <string>

namespace vpc::update {

struct CurlApi {
    CURLcode (*globalInit)(long flags) = nullptr;
    CURL* (*easyInit)() = nullptr;
    void (*easyCleanup)(CURL* handle) = nullptr;
    CURLcode (*easySetopt)(CURL* handle, CURLoption option, ...) = nullptr;
    CURLcode (*easyPerform)(CURL* handle) = nullptr;
    CURLcode (*easyGetinfo)(CURL* handle, CURLINFO info, ...) = nullptr;
    curl_slist* (*slistAppend)(curl_slist* list, const char* line) = nullptr;
    void (*slistFreeAll)(curl_slist* list) = nullptr;
};

// The library's functions, loaded and initialised once; null when libcurl cannot be loaded
// (LastCurlLoadError says why).
const CurlApi* Curl();
std::string LastCurlLoadError();

} // namespace vpc::update
