#pragma once
// The TLS settings of a connection to an IRC server: the server's certificate is checked
// against the system's CAs and, when one is given, a CA of the user's besides them. A CA file
// that cannot be read leaves the system's CAs in place (and is reported).
#include <QSslConfiguration>
#include <string>

namespace aolsim::irc {

// `problem` is set when the CA file gives no certificate.
QSslConfiguration TlsSettings(const std::string& caFile, std::string& problem);

}  // namespace aolsim::irc
