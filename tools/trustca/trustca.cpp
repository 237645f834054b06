// trustca: adds a CA certificate to the LocalMachine ROOT store of the machine (or Wine prefix) it runs on.
// Used only inside the test bench's private Wine prefix, so HTTPS tests can trust the test CA without
// touching the host's certificate store.
//
// Usage: trustca.exe CERT_FILE   (DER, or PEM with a BEGIN CERTIFICATE header)
// Exit codes: 0 added (or already present), 1 bad usage, 2 file unreadable or not a certificate,
// 3 store could not be opened or written.

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool ReadWholeFile(const char* path, std::vector<BYTE>& data, DWORD& error) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1 << 20);
    if (ok) {
        data.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &got, nullptr) && got == data.size();
    }
    error = ok ? 0 : GetLastError();
    CloseHandle(file);
    return ok;
}

// PEM files are accepted too: the harness may hand over either form.
std::vector<BYTE> ToDer(const std::vector<BYTE>& data) {
    static const char kHeader[] = "-----BEGIN CERTIFICATE-----";
    std::string text(data.begin(), data.end());
    if (text.find(kHeader) == std::string::npos) return data;
    DWORD size = 0;
    if (!CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                              &size, nullptr, nullptr)) {
        return {};
    }
    std::vector<BYTE> der(size);
    if (!CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64HEADER,
                              der.data(), &size, nullptr, nullptr)) {
        return {};
    }
    der.resize(size);
    return der;
}

std::string Thumbprint(PCCERT_CONTEXT cert) {
    BYTE hash[20];
    DWORD size = sizeof(hash);
    if (!CertGetCertificateContextProperty(cert, CERT_SHA1_HASH_PROP_ID, hash, &size)) return "?";
    std::string hex;
    static const char kDigits[] = "0123456789ABCDEF";
    for (DWORD i = 0; i < size; ++i) {
        hex += kDigits[hash[i] >> 4];
        hex += kDigits[hash[i] & 15];
    }
    return hex;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trustca CERT_FILE (DER or PEM)\n");
        return 1;
    }
    std::vector<BYTE> raw;
    DWORD error = 0;
    if (!ReadWholeFile(argv[1], raw, error)) {
        std::fprintf(stderr, "trustca: cannot read %s (error %lu)\n", argv[1], error);
        return 2;
    }
    std::vector<BYTE> der = ToDer(raw);
    PCCERT_CONTEXT parsed =
        der.empty() ? nullptr
                    : CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
    if (parsed == nullptr) {
        std::fprintf(stderr, "trustca: %s is not a certificate (error %lu)\n", argv[1], GetLastError());
        return 2;
    }
    CertFreeCertificateContext(parsed);

    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    if (store == nullptr) {
        std::fprintf(stderr, "trustca: cannot open the LocalMachine ROOT store (error %lu)\n", GetLastError());
        return 3;
    }
    PCCERT_CONTEXT added = nullptr;
    if (!CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                          CERT_STORE_ADD_REPLACE_EXISTING, &added)) {
        std::fprintf(stderr, "trustca: cannot add the certificate to LocalMachine ROOT (error %lu)\n",
                     GetLastError());
        CertCloseStore(store, 0);
        return 3;
    }
    std::printf("trustca: added %s to LocalMachine ROOT\n", Thumbprint(added).c_str());
    CertFreeCertificateContext(added);
    CertCloseStore(store, 0);
    return 0;
}
