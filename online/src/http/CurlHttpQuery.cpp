#include "online/CurlHttpQuery.h"

CCurlHttpQuery::CCurlHttpQuery(const std::string& url)
    : CCurlHttpBase(url, "", kConnectTimeoutMs, kTimeoutMs, false) {}

CCurlHttpQuery::~CCurlHttpQuery() = default;
