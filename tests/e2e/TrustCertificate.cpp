// Makes a certificate authority trusted by the current user of this Wine
// prefix (the user's ROOT store), as the TLS tests and the demo need:
//   trust_certificate.exe CA.der
#include <windows.h>
#include <wincrypt.h>

#include <stdio.h>

#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: trust_certificate CA.der\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<BYTE> der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    HCERTSTORE root = CertOpenSystemStoreA(0, "ROOT");
    const BOOL added = root && CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(),
                                                                static_cast<DWORD>(der.size()),
                                                                CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    if (root) CertCloseStore(root, 0);
    if (!added) fprintf(stderr, "trust_certificate: %s not added (error %lu)\n", argv[1], GetLastError());
    return added ? 0 : 1;
}
