#include "platform/wininet/CertificateStore.h"

#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <memory>
#include <mutex>

namespace velloran::platform {
namespace {

struct BioFree {
    void operator()(BIO* bio) const noexcept { BIO_free(bio); }
};
struct X509Free {
    void operator()(X509* cert) const noexcept { X509_free(cert); }
};

// The added certificates, kept as PEM text: the process-wide part of the certificate store.
struct AddedRoots {
    std::mutex mutex;
    std::string pem;
};

AddedRoots& Roots() {
    static AddedRoots roots;
    return roots;
}

// Calls `use` with every certificate of the PEM text; returns how many there were.
template <class Use>
int ForEachCertificate(const std::string& pem, Use use) {
    std::unique_ptr<BIO, BioFree> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    if (!bio) return 0;
    int count = 0;
    while (true) {
        std::unique_ptr<X509, X509Free> cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
        if (!cert) break;
        use(cert.get());
        ++count;
    }
    return count;
}

}  // namespace

bool AddTrustedRootCertificates(const std::string& pem) {
    if (ForEachCertificate(pem, [](X509*) {}) == 0) return false;
    auto& roots = Roots();
    std::lock_guard lock(roots.mutex);
    roots.pem += pem;
    roots.pem += '\n';
    return true;
}

void RemoveAddedRootCertificates() {
    auto& roots = Roots();
    std::lock_guard lock(roots.mutex);
    roots.pem.clear();
}

namespace detail {

bool HasAddedRootCertificates() {
    auto& roots = Roots();
    std::lock_guard lock(roots.mutex);
    return !roots.pem.empty();
}

void InstallAddedRootCertificates(void* sslContext) {
    std::string pem;
    {
        auto& roots = Roots();
        std::lock_guard lock(roots.mutex);
        pem = roots.pem;
    }
    X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
    if (!store) return;
    // X509_STORE_add_cert takes its own reference; a certificate already present is harmless.
    ForEachCertificate(pem, [store](X509* cert) { X509_STORE_add_cert(store, cert); });
}

}  // namespace detail
}  // namespace velloran::platform
