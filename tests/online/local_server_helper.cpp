// The scripted server's process, its request log, the test certificates and
// the scratch folders of the online tests.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <strings.h>

#include <json/json.h>

#include "base/CodePage.h"
#include "local_server.h"

extern char** environ;

namespace online_test {
namespace {

// Requests must reach the local server itself, never a proxy of the
// machine's environment.
const struct ProxyVariablesCleared {
  ProxyVariablesCleared() {
    for (const char* name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"})
      unsetenv(name);
  }
} g_proxyVariablesCleared;

std::filesystem::path MakeTempFolder(const char* stem) {
  std::string pattern = (std::filesystem::temp_directory_path() / stem).string() + "-XXXXXX";
  if (!mkdtemp(pattern.data())) return {};
  return pattern;
}

std::string PythonInterpreter() {
  return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

// Reads the port the server prints on its first line; 0 when it does not
// come within the time allowed (a loaded machine starts python slowly).
int ReadPort(int fd) {
  std::string line;
  for (;;) {
    pollfd waiting{fd, POLLIN, 0};
    if (poll(&waiting, 1, 20000) <= 0) return 0;
    char c = 0;
    if (read(fd, &c, 1) != 1) return 0;
    if (c == '\n') break;
    line += c;
  }
  return std::atoi(line.c_str());
}

bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

struct CertificateFolder {
  std::filesystem::path folder;
  TestCertificates files;
  ~CertificateFolder() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
};

// A server certificate for subjectAltName, signed by the CA in folder.
bool MakeServerCertificate(const std::filesystem::path& folder, const std::string& stem,
                           const std::string& commonName, const std::string& altName) {
  const std::string f = folder.string() + "/";
  std::ofstream(f + stem + ".ext") << "subjectAltName=" << altName
                                   << "\nbasicConstraints=CA:FALSE\nkeyUsage=digitalSignature"
                                      "\nextendedKeyUsage=serverAuth\n";
  return Run("openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " + f +
             stem + ".key -out " + f + stem + ".csr -subj /CN=" + commonName + " 2>/dev/null") &&
         Run("openssl x509 -req -in " + f + stem + ".csr -CA " + f + "ca.pem -CAkey " + f +
             "ca.key -CAcreateserial -days 2 -out " + f + stem + ".pem -extfile " + f + stem +
             ".ext 2>/dev/null");
}

}  // namespace

std::string RecordedRequest::header(const std::string& name) const {
  for (const auto& [key, value] : headers)
    if (strcasecmp(key.c_str(), name.c_str()) == 0) return value;
  return std::string();
}

const TestCertificates& Certificates() {
  static CertificateFolder made = [] {
    CertificateFolder result;
    result.folder = MakeTempFolder("quorvale-certs");
    const std::string f = result.folder.string() + "/";
    const bool ok =
        !result.folder.empty() &&
        Run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " +
            f + "ca.key -out " + f +
            "ca.pem -days 2 -subj '/CN=Quorvale Test CA' -addext "
            "basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign "
            "2>/dev/null") &&
        MakeServerCertificate(result.folder, "ip", "127.0.0.1", "IP:127.0.0.1") &&
        MakeServerCertificate(result.folder, "other", "other-host.test", "DNS:other-host.test");
    if (ok) {
      result.files.caFile = f + "ca.pem";
      result.files.ipCert = f + "ip.pem";
      result.files.ipKey = f + "ip.key";
      result.files.otherHostCert = f + "other.pem";
      result.files.otherHostKey = f + "other.key";
    }
    return result;
  }();
  return made.files;
}

LocalServer::LocalServer(const std::string& certificate, const std::string& key)
    : tls_(!certificate.empty()) {
  folder_ = MakeTempFolder("quorvale-server");
  if (folder_.empty()) return;
  log_ = folder_ / "requests.jsonl";
  std::ofstream(log_).close();

  int out[2];
  if (pipe(out) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, out[1]);
  std::vector<std::string> args = {PythonInterpreter(), QUORVALE_TEST_HTTP_SERVER, "--log",
                                   log_.string()};
  if (tls_) args.insert(args.end(), {"--cert", certificate, "--key", key});
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int spawned = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    pid_ = -1;
    close(out[0]);
    return;
  }
  port_ = ReadPort(out[0]);
  close(out[0]);
}

LocalServer::~LocalServer() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

std::string LocalServer::url(const std::string& path) const {
  return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<RecordedRequest> LocalServer::requests() const {
  std::vector<RecordedRequest> result;
  std::ifstream in(log_);
  std::string line;
  Json::CharReaderBuilder builder;
  while (std::getline(in, line)) {
    Json::Value entry;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    if (!reader->parse(line.data(), line.data() + line.size(), &entry, &errors)) continue;
    RecordedRequest request;
    request.method = entry["method"].asString();
    request.path = entry["path"].asString();
    const std::string hex = entry["body_hex"].asString();
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
      request.body += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    for (const Json::Value& pair : entry["headers"])
      request.headers.emplace_back(pair[0].asString(), pair[1].asString());
    result.push_back(std::move(request));
  }
  return result;
}

std::string PatternBytes(size_t start, size_t end) {
  std::string bytes;
  bytes.reserve(end > start ? end - start : 0);
  for (size_t i = start; i < end; ++i) bytes += static_cast<char>((i * 7 + i / 256) % 256);
  return bytes;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << actual.size() << " bytes where " << expected.size()
                                       << " were expected; first difference at offset " << at;
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int UnusedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  close(fd);
  return port;
}

void ScratchTest::SetUp() {
  root_ = MakeTempFolder("quorvale-download");
  ASSERT_FALSE(root_.empty());
}

void ScratchTest::TearDown() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::wstring ScratchTest::WPath(const std::string& name) const {
  return Utf8ToWStringRet((root_ / name).string());
}

std::string FormDecode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::map<std::string, std::string> DecodeForm(const std::string& body) {
  std::map<std::string, std::string> fields;
  size_t start = 0;
  while (start <= body.size()) {
    size_t end = body.find('&', start);
    if (end == std::string::npos) end = body.size();
    const std::string pair = body.substr(start, end - start);
    const size_t eq = pair.find('=');
    fields[FormDecode(pair.substr(0, eq))] = eq == std::string::npos ? "" : FormDecode(pair.substr(eq + 1));
    start = end + 1;
  }
  return fields;
}

}  // namespace online_test
