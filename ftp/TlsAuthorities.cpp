#include "ftp/TlsAuthorities.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <mutex>
#include <utility>
#include <vector>

namespace ftp::tls {
namespace {

unsigned long HashOf(const X509_NAME* name) {
    int ok = 0;
    const unsigned long hash = X509_NAME_hash_ex(name, nullptr, nullptr, &ok);
    return ok == 1 ? hash : 0;
}

// Reads the next certificate of `file`, plain or with trust settings, as the bundle's loader takes them; an empty
// pass phrase, so that nothing ever prompts.
X509* ReadCertificate(BIO* file) {
    static char noPassPhrase[] = "";
    return PEM_read_bio_X509_AUX(file, nullptr, nullptr, noPassPhrase);
}

// Where each certificate of a bundle begins, by the hash of its subject: for one file, what a folder of
// certificates named by their hashes offers.
class TBundle {
public:
    explicit TBundle(std::string path) : path_(std::move(path)) {}

    // Adds to `store` every certificate of the bundle whose subject is `name`.
    void AddNamed(X509_STORE* store, const X509_NAME* name) {
        std::call_once(indexed_, [this] { Index(); });
        const unsigned long hash = HashOf(name);
        BIO* file = nullptr;
        for (const auto& [subject, offset] : starts_) {
            if (subject != hash)
                continue;
            if (file == nullptr && (file = BIO_new_file(path_.c_str(), "rb")) == nullptr)
                return;
            X509* certificate = BIO_seek(file, offset) == 0 ? ReadCertificate(file) : nullptr;
            if (certificate != nullptr && X509_NAME_cmp(X509_get_subject_name(certificate), name) == 0)
                X509_STORE_add_cert(store, certificate); // one added already, by another connection, stays as it is
            X509_free(certificate);
        }
        BIO_free(file);
    }

private:
    void Index() {
        BIO* file = BIO_new_file(path_.c_str(), "rb");
        if (file == nullptr)
            return;
        for (;;) {
            const long offset = BIO_tell(file);
            X509* certificate = ReadCertificate(file);
            if (certificate == nullptr)
                break;
            starts_.emplace_back(HashOf(X509_get_subject_name(certificate)), offset);
            X509_free(certificate);
        }
        BIO_free(file);
        // The end of the file is the only good end: the loader that takes the bundle at once takes nothing from a
        // bundle with a broken certificate in it.
        const unsigned long last = ERR_peek_last_error();
        if (ERR_GET_LIB(last) != ERR_LIB_PEM || ERR_GET_REASON(last) != PEM_R_NO_START_LINE)
            starts_.clear();
    }

    std::string path_;
    std::once_flag indexed_;
    std::vector<std::pair<unsigned long, long>> starts_; // subject hash, offset in the file
};

void FreeBundle(void*, void* bundle, CRYPTO_EX_DATA*, int, long, void*) {
    delete static_cast<TBundle*>(bundle);
}

int BundleIndex() {
    static const int index = X509_STORE_get_ex_new_index(0, nullptr, nullptr, nullptr, FreeBundle);
    return index;
}

// Brings the bundle's certificates named `name` into the store the verification searches next. The errors of
// reading stay out of the queue: the handshake's own are what a failure reports.
void AddFromBundle(X509_STORE_CTX* verification, const X509_NAME* name) {
    X509_STORE* store = X509_STORE_CTX_get0_store(verification);
    auto* bundle = store == nullptr ? nullptr : static_cast<TBundle*>(X509_STORE_get_ex_data(store, BundleIndex()));
    if (bundle == nullptr || name == nullptr)
        return;
    ERR_set_mark();
    bundle->AddNamed(store, name);
    ERR_pop_to_mark();
}

// The store's own searches, each after the bundle had its say.
int GetIssuer(X509** issuer, X509_STORE_CTX* verification, X509* certificate) {
    AddFromBundle(verification, X509_get_issuer_name(certificate));
    return X509_STORE_CTX_get1_issuer(issuer, verification, certificate);
}

STACK_OF(X509) * LookUpCertificates(X509_STORE_CTX* verification, const X509_NAME* name) {
    AddFromBundle(verification, name);
    return X509_STORE_CTX_get1_certs(verification, name);
}

} // namespace

void TrustBundleOnDemand(X509_STORE* store, const std::string& path) {
    auto* bundle = new TBundle(path);
    if (X509_STORE_set_ex_data(store, BundleIndex(), bundle) != 1) {
        delete bundle;
        return;
    }
    X509_STORE_set_get_issuer(store, GetIssuer);
    X509_STORE_set_lookup_certs(store, LookUpCertificates);
}

} // namespace ftp::tls
