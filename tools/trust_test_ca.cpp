// Adds a test CA (DER file) to the current user's ROOT store, so that the test rig's HTTPS
// server is trusted inside the Wine prefix it runs in, and nowhere else.
//   trust_test_ca.exe CA.der     exit code 0 when the certificate is in the store
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: trust_test_ca CA.der\n", stderr);
        return 2;
    }
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "trust_test_ca: cannot open the certificate (%lu)\n", GetLastError());
        return 1;
    }
    std::vector<BYTE> der(64 * 1024);
    DWORD got = 0;
    const BOOL read = ReadFile(file, der.data(), static_cast<DWORD>(der.size()), &got, nullptr);
    CloseHandle(file);
    if (!read || got == 0) {
        std::fputs("trust_test_ca: cannot read the certificate\n", stderr);
        return 1;
    }
    HCERTSTORE root = CertOpenSystemStoreW(0, L"ROOT");
    if (!root) {
        std::fprintf(stderr, "trust_test_ca: cannot open the ROOT store (%lu)\n", GetLastError());
        return 1;
    }
    const BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), got,
                                                        CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    if (!added) std::fprintf(stderr, "trust_test_ca: cannot add the certificate (%08lx)\n", GetLastError());
    CertCloseStore(root, 0);
    return added ? 0 : 1;
}
