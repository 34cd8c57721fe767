// The bundle of authorities read on demand trusts exactly what the library's loader, taking the whole bundle at
// once, trusts: the same verdict for every chain, over bundles with certificates of one name twice, certificates
// with trust settings, other blocks between them and a broken certificate.
#include "ftp/TlsAuthorities.h"
#include "tests/support/IssuedCertificate.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <openssl/pem.h>
#include <openssl/x509_vfy.h>

#include <memory>
#include <string>
#include <vector>

namespace {

enum class TBlock { Certificate, TrustedCertificate, Key };

std::string Pem(const TIssued& issued, TBlock block = TBlock::Certificate) {
    BIO* out = BIO_new(BIO_s_mem());
    if (block == TBlock::Key)
        PEM_write_bio_PrivateKey(out, issued.key.get(), nullptr, nullptr, 0, nullptr, nullptr);
    else if (block == TBlock::TrustedCertificate)
        PEM_write_bio_X509_AUX(out, issued.certificate.get());
    else
        PEM_write_bio_X509(out, issued.certificate.get());
    char* data = nullptr;
    const long size = BIO_get_mem_data(out, &data);
    std::string text(data, static_cast<std::size_t>(size));
    BIO_free(out);
    return text;
}

// The verification's verdict on `chain` (leaf first) against the bundle at `path`, loaded one way or the other.
int Verdict(const std::string& path, bool onDemand, const std::vector<X509*>& chain) {
    X509_STORE* store = X509_STORE_new();
    if (onDemand)
        ftp::tls::TrustBundleOnDemand(store, path);
    else
        X509_STORE_load_file(store, path.c_str());
    STACK_OF(X509)* untrusted = sk_X509_new_null();
    for (std::size_t i = 1; i < chain.size(); ++i)
        sk_X509_push(untrusted, chain[i]);
    X509_STORE_CTX* verification = X509_STORE_CTX_new();
    X509_STORE_CTX_init(verification, store, chain.front(), untrusted);
    X509_verify_cert(verification);
    const int verdict = X509_STORE_CTX_get_error(verification);
    X509_STORE_CTX_free(verification);
    sk_X509_free(untrusted);
    X509_STORE_free(store);
    return verdict;
}

TEST(TlsAuthorities, TheBundleReadOnDemandTrustsWhatTheWholeBundleTrusts) {
    const TIssued root = Issue("Root", nullptr, true);
    const TIssued twin = Issue("Root", nullptr, true); // the same name, another key: a renewed root
    const TIssued middle = Issue("Middle", &twin, true);
    const TIssued stranger = Issue("Stranger", nullptr, true);
    const TIssued fromRoot = Issue("server.test", &root, false);
    const TIssued fromMiddle = Issue("server.test", &middle, false);
    const TIssued fromStranger = Issue("server.test", &stranger, false);
    const std::string brokenCertificate = "-----BEGIN CERTIFICATE-----\nAAAA\n-----END CERTIFICATE-----\n";
    const std::string usual =
        "comment\n" + Pem(root) + Pem(stranger, TBlock::Key) + Pem(twin, TBlock::TrustedCertificate);

    struct Case {
        const char* what;
        std::string bundle;
        std::vector<X509*> chain;
        int verdict;
    };
    const Case cases[] = {
        {"issued by a root of the bundle", usual, {fromRoot.certificate.get()}, X509_V_OK},
        {"through a middle authority, by the root's twin",
         usual,
         {fromMiddle.certificate.get(), middle.certificate.get()},
         X509_V_OK},
        {"a root of the bundle itself", usual, {twin.certificate.get()}, X509_V_OK},
        {"issued by an authority the bundle lacks",
         usual,
         {fromStranger.certificate.get()},
         X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY},
        {"self-signed, not in the bundle", usual, {stranger.certificate.get()}, X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT},
        {"a bundle broken after the root",
         Pem(root) + brokenCertificate,
         {fromRoot.certificate.get()},
         X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY},
        {"no bundle", "", {fromRoot.certificate.get()}, X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY},
    };
    TempFolder folder;
    const std::string path = folder.File("bundle.pem");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder::Put(path, c.bundle);
        EXPECT_EQ(Verdict(path, false, c.chain), c.verdict);
        EXPECT_EQ(Verdict(path, true, c.chain), c.verdict);
    }
}

} // namespace
