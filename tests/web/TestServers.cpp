#include "web/TestServers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace velloran::testing {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kIoLimit = std::chrono::seconds(5);

int ListenOnLoopback(int& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 64) != 0) {
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

int ConnectToLoopback(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Waits until `fd` is readable, the wake pipe fires or the limit passes.
bool WaitReadable(int fd, int wakeFd, int timeoutMs) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    if (::poll(fds, 2, timeoutMs) <= 0) return false;
    return (fds[1].revents & POLLIN) == 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

// The request is complete once its head has ended and as many body bytes as Content-Length says.
bool RequestComplete(const std::string& data) {
    std::size_t headEnd = data.find("\r\n\r\n");
    if (headEnd == std::string::npos) return false;
    std::size_t length = 0;
    std::string head = data.substr(0, headEnd);
    for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::size_t at = head.find("\r\ncontent-length:");
    if (at != std::string::npos) length = std::strtoul(head.c_str() + at + 17, nullptr, 10);
    return data.size() >= headEnd + 4 + length;
}

void SendAll(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

int RunCommand(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

}  // namespace

// ---------------------------------------------------------------------------------------------
RawListener::RawListener(Responder respond, bool holdOpen, const Tls* tls)
    : respond_(std::move(respond)), holdOpen_(holdOpen) {
    if (tls) {
        SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate_chain_file(ctx, tls->certificateFile.c_str());
        SSL_CTX_use_PrivateKey_file(ctx, tls->keyFile.c_str(), SSL_FILETYPE_PEM);
        tlsContext_ = ctx;
    }
    listenFd_ = ListenOnLoopback(port_);
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0) wakePipe_[0] = wakePipe_[1] = -1;
    thread_ = std::thread([this] { Run(); });
}

RawListener::~RawListener() {
    stopping_ = true;
    if (wakePipe_[1] >= 0) (void)!::write(wakePipe_[1], "x", 1);
    if (thread_.joinable()) thread_.join();
    for (int fd : heldOpen_) ::close(fd);
    if (listenFd_ >= 0) ::close(listenFd_);
    for (int fd : wakePipe_)
        if (fd >= 0) ::close(fd);
    if (tlsContext_) SSL_CTX_free(static_cast<SSL_CTX*>(tlsContext_));
}

std::vector<std::string> RawListener::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void RawListener::Run() {
    while (!stopping_) {
        if (!WaitReadable(listenFd_, wakePipe_[0], 100)) continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        ++connections_;
        Serve(fd);
    }
}

void RawListener::Serve(int fd) {
    SSL* ssl = nullptr;
    if (tlsContext_) {
        timeval limit{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        ssl = SSL_new(static_cast<SSL_CTX*>(tlsContext_));
        SSL_set_fd(ssl, fd);
        if (SSL_accept(ssl) != 1) {
            SSL_free(ssl);
            ::close(fd);
            return;
        }
    }
    std::string data;
    auto deadline = Clock::now() + kIoLimit;
    while (!stopping_ && !RequestComplete(data) && Clock::now() < deadline) {
        char buffer[4096];
        int n = 0;
        if (ssl) {
            if (SSL_pending(ssl) == 0 && !WaitReadable(fd, wakePipe_[0], 100)) continue;
            n = SSL_read(ssl, buffer, sizeof buffer);
        } else {
            if (!WaitReadable(fd, wakePipe_[0], 100)) continue;
            n = static_cast<int>(::recv(fd, buffer, sizeof buffer, 0));
        }
        if (n <= 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(data);
    }
    std::string answer = respond_ ? respond_(data) : std::string();
    if (ssl) {
        if (!answer.empty()) SSL_write(ssl, answer.data(), static_cast<int>(answer.size()));
    } else {
        SendAll(fd, answer);
    }
    if (holdOpen_) {
        // The TLS session is dropped, the socket stays open and silent until the listener stops.
        if (ssl) SSL_free(ssl);
        heldOpen_.push_back(fd);
        return;
    }
    if (ssl) {
        SSL_shutdown(ssl);
        SSL_free(ssl);
    }
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
}

// ---------------------------------------------------------------------------------------------
TestProxy::TestProxy() {
    listenFd_ = ListenOnLoopback(port_);
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0) wakePipe_[0] = wakePipe_[1] = -1;
    thread_ = std::thread([this] { Run(); });
}

TestProxy::~TestProxy() {
    stopping_ = true;
    if (wakePipe_[1] >= 0) (void)!::write(wakePipe_[1], "x", 1);
    if (thread_.joinable()) thread_.join();
    if (listenFd_ >= 0) ::close(listenFd_);
    for (int fd : wakePipe_)
        if (fd >= 0) ::close(fd);
}

std::vector<std::string> TestProxy::RequestLines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

void TestProxy::Run() {
    while (!stopping_) {
        if (!WaitReadable(listenFd_, wakePipe_[0], 100)) continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        Serve(fd);
        ::close(fd);
    }
}

void TestProxy::Serve(int client) {
    std::string head;
    auto deadline = Clock::now() + kIoLimit;
    while (head.find("\r\n\r\n") == std::string::npos && Clock::now() < deadline && !stopping_) {
        if (!WaitReadable(client, wakePipe_[0], 100)) continue;
        char c[4096];
        ssize_t n = ::recv(client, c, sizeof c, 0);
        if (n <= 0) return;
        head.append(c, static_cast<std::size_t>(n));
    }
    std::string firstLine = head.substr(0, head.find("\r\n"));
    {
        std::lock_guard lock(mutex_);
        lines_.push_back(firstLine);
    }
    // Only loopback targets: "CONNECT 127.0.0.1:port" or "GET http://127.0.0.1:port/...".
    std::size_t portAt = firstLine.find("127.0.0.1:");
    if (portAt == std::string::npos) return;
    int port = std::atoi(firstLine.c_str() + portAt + 10);
    int upstream = ConnectToLoopback(port);
    if (upstream < 0) return;
    if (firstLine.rfind("CONNECT ", 0) == 0) {
        SendAll(client, "HTTP/1.1 200 Connection established\r\n\r\n");
        head.erase(0, head.find("\r\n\r\n") + 4);
    }
    SendAll(upstream, head);
    // Pipe both ways until one side closes.
    while (!stopping_ && Clock::now() < deadline + kIoLimit) {
        pollfd fds[3] = {{client, POLLIN, 0}, {upstream, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (::poll(fds, 3, 100) <= 0) continue;
        if (fds[2].revents) break;
        char buffer[16384];
        if (fds[0].revents) {
            ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            SendAll(upstream, std::string(buffer, static_cast<std::size_t>(n)));
        }
        if (fds[1].revents) {
            ssize_t n = ::recv(upstream, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            SendAll(client, std::string(buffer, static_cast<std::size_t>(n)));
        }
    }
    ::close(upstream);
}

// ---------------------------------------------------------------------------------------------
TestCertificates::TestCertificates() {
    char pattern[] = "/tmp/velloran-web-tls-XXXXXX";
    if (!::mkdtemp(pattern)) return;
    dir_ = pattern;
    authorityCert_ = dir_ + "/ca.pem";
    serverCert_ = dir_ + "/server.pem";
    serverKey_ = dir_ + "/server.key";
    std::ofstream(dir_ + "/ext.cnf") << "subjectAltName=DNS:localhost,IP:127.0.0.1\n"
                                        "basicConstraints=CA:FALSE\n"
                                        "extendedKeyUsage=serverAuth\n";
    const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    ok_ = RunCommand("openssl req -x509" + ec + " -keyout " + dir_ + "/ca.key -out " + authorityCert_ +
                     " -days 2 -subj '/CN=Velloran Test CA'"
                     " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign") == 0 &&
          RunCommand("openssl req" + ec + " -keyout " + serverKey_ + " -out " + dir_ +
                     "/server.csr -subj '/CN=localhost'") == 0 &&
          RunCommand("openssl x509 -req -in " + dir_ + "/server.csr -CA " + authorityCert_ + " -CAkey " + dir_ +
                     "/ca.key -CAcreateserial -out " + serverCert_ + " -days 2 -extfile " + dir_ + "/ext.cnf") == 0;
}

TestCertificates::~TestCertificates() {
    if (!dir_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
}

std::string TestCertificates::AuthorityPem() const { return ReadFile(authorityCert_); }

// ---------------------------------------------------------------------------------------------
int UnusedPort() {
    int port = 0;
    int fd = ListenOnLoopback(port);
    if (fd >= 0) ::close(fd);
    return port;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string HttpResponse(const std::string& status, const std::string& headers, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\n" + headers + "Content-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace velloran::testing
