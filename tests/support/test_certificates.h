#pragma once
// Certificates for TLS tests, made with the openssl command line: a test certificate authority
// and server certificates it signs.
#include <QString>
#include <string>

namespace spindeck::testing {

// Makes a server certificate for `hostName` (subjectAltName DNS:hostName, with IP:127.0.0.1
// added for "localhost" and "127.0.0.1"), signed by the test CA kept in `dir` (made there on
// the first call, so certificates for several names in one folder share their CA). Gives the
// CA's certificate, the server certificate and its unencrypted key as PEM files. False, with
// openssl's output on stderr, when a step fails.
bool MakeTestCertificates(const QString& dir, const std::string& hostName, QString& caFile,
                          QString& certFile, QString& keyFile);

}  // namespace spindeck::testing
