#pragma once
// Root certificates trusted by https requests in addition to the system's certificate store, the
// way a root certificate added to the Windows certificate store is trusted by every WinINet request
// of the process. The program itself adds none; tests add the authority of their loopback servers.

#include <string>

namespace velloran::platform {

// Adds every certificate of the PEM text; false when it holds none.
bool AddTrustedRootCertificates(const std::string& pem);

// Forgets every certificate added; the system's store stays trusted.
void RemoveAddedRootCertificates();

}  // namespace velloran::platform

namespace velloran::platform::detail {

// For the request layer: whether any certificate was added, and adding them to an OpenSSL SSL_CTX
// that libcurl is about to use.
bool HasAddedRootCertificates();
void InstallAddedRootCertificates(void* sslContext);

}  // namespace velloran::platform::detail
