// What the online tests stand on: a scripted HTTP or HTTPS server of their
// own on 127.0.0.1 (scripted_http_server.py), certificates made for it at
// test time with openssl, and a scratch folder for downloads.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace online_test {

struct RecordedRequest {
  std::string method;
  std::string path;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  // The first header of that name (case-insensitive); empty when none.
  std::string header(const std::string& name) const;
};

// A CA, a server certificate for 127.0.0.1 and one for another host name,
// all signed by the CA; made once per test program in a folder of its own.
struct TestCertificates {
  std::string caFile;
  std::string ipCert;
  std::string ipKey;
  std::string otherHostCert;
  std::string otherHostKey;
};
const TestCertificates& Certificates();

class LocalServer {
 public:
  // Plain HTTP; with a certificate and key, HTTPS.
  LocalServer(const std::string& certificate = "", const std::string& key = "");
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  bool running() const { return port_ > 0; }
  int port() const { return port_; }
  // "http://127.0.0.1:<port>" plus path (https with a certificate).
  std::string url(const std::string& path) const;
  // Every request the server has read, in order.
  std::vector<RecordedRequest> requests() const;

 private:
  std::filesystem::path folder_;
  std::filesystem::path log_;
  pid_t pid_ = -1;
  int port_ = 0;
  bool tls_ = false;
};

// Byte i of every file the server serves.
std::string PatternBytes(size_t start, size_t end);
std::string ReadFileBytes(const std::filesystem::path& path);
// Equal bytes; on a difference, the sizes and the first differing offset
// rather than the whole contents.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
// Form decoding as a service does it: '+' is a blank, every %XX a byte.
std::string FormDecode(const std::string& text);
// A form body as a service reads it: its keys and values decoded.
std::map<std::string, std::string> DecodeForm(const std::string& body);
// A closed port: one that was free a moment ago.
int UnusedPort();

// A fresh scratch folder per test.
class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::filesystem::path Path(const std::string& name) const { return root_ / name; }
  std::wstring WPath(const std::string& name) const;

  std::filesystem::path root_;
};

}  // namespace online_test
