#pragma once
// Servers the web tests start on 127.0.0.1 and stop again: a raw listener that records the exact
// request bytes (plain or TLS), a small forwarding proxy, and a test certificate authority made
// with the openssl tool in a temporary folder.

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velloran::testing {

// A listener that reads each request (head and Content-Length body), records its bytes and answers
// with what `respond` returns for it. With `holdOpen`, the connection then stays open without any
// further byte until the listener stops (an empty answer is a server that never answers).
class RawListener {
public:
    struct Tls {
        std::string certificateFile;
        std::string keyFile;
    };
    using Responder = std::function<std::string(const std::string& request)>;

    explicit RawListener(Responder respond, bool holdOpen = false, const Tls* tls = nullptr);
    ~RawListener();
    RawListener(const RawListener&) = delete;
    RawListener& operator=(const RawListener&) = delete;

    int Port() const { return port_; }
    std::vector<std::string> Requests() const;
    int Connections() const { return connections_.load(); }

private:
    void Run();
    void Serve(int fd);

    Responder respond_;
    bool holdOpen_;
    void* tlsContext_ = nullptr;  // SSL_CTX
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::vector<int> heldOpen_;
    std::thread thread_;
};

// A forwarding proxy for one connection at a time: CONNECT tunnels, any other request is passed on
// unchanged to the host of its absolute URL. Records the first line of every request it gets.
class TestProxy {
public:
    TestProxy();
    ~TestProxy();
    TestProxy(const TestProxy&) = delete;
    TestProxy& operator=(const TestProxy&) = delete;

    int Port() const { return port_; }
    std::vector<std::string> RequestLines() const;

private:
    void Run();
    void Serve(int client);

    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::thread thread_;
};

// A certificate authority and a server certificate for localhost and 127.0.0.1, made in a fresh
// temporary folder that is removed again.
class TestCertificates {
public:
    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    bool Ok() const { return ok_; }
    std::string AuthorityPem() const;
    const std::string& ServerCertificateFile() const { return serverCert_; }
    const std::string& ServerKeyFile() const { return serverKey_; }

private:
    std::string dir_;
    std::string authorityCert_;
    std::string serverCert_;
    std::string serverKey_;
    bool ok_ = false;
};

// A free port on 127.0.0.1 nobody listens on (bound and released at once).
int UnusedPort();

std::string ReadFile(const std::string& path);

// A plain HTTP/1.1 response with Content-Length and Connection: close.
std::string HttpResponse(const std::string& status, const std::string& headers, const std::string& body);

}  // namespace velloran::testing
