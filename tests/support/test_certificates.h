#pragma once

// Certificates for a TLS broker in a test, made with the openssl command:
// a CA that signs the broker's certificate for 127.0.0.1, and a second CA
// that signs nothing, for a client that trusts the wrong one.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vt640::test {

struct TestCertificates {
    std::filesystem::path ca;      // the CA that signed the broker's certificate
    std::filesystem::path otherCa; // a CA that did not
    std::filesystem::path cert;    // the broker's certificate, for 127.0.0.1
    std::filesystem::path key;     // its key

    // Made in `dir`; false when openssl failed.
    bool make(const std::filesystem::path& dir)
    {
        ca = dir / "ca.crt";
        otherCa = dir / "other-ca.crt";
        cert = dir / "broker.crt";
        key = dir / "broker.key";
        const std::string d = dir.string();
        const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
        const std::string commands[] = {
            "openssl req -x509" + ec + " -keyout " + d + "/ca.key -out " + ca.string()
                + " -days 2 -subj /CN=vt640-test-ca",
            "openssl req -x509" + ec + " -keyout " + d + "/other-ca.key -out " + otherCa.string()
                + " -days 2 -subj /CN=vt640-other-ca",
            "openssl req" + ec + " -keyout " + key.string() + " -out " + d + "/broker.csr -subj /CN=127.0.0.1",
            "printf 'subjectAltName=IP:127.0.0.1\\n' > " + d + "/san.ext",
            "openssl x509 -req -in " + d + "/broker.csr -CA " + ca.string() + " -CAkey " + d
                + "/ca.key -CAcreateserial -out " + cert.string() + " -days 2 -extfile " + d + "/san.ext",
        };
        for (const std::string& c : commands)
            if (std::system((c + " >/dev/null 2>&1").c_str()) != 0)
                return false;
        return true;
    }
};

} // namespace vt640::test
