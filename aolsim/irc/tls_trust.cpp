#include "aolsim/irc/tls_trust.h"

#include <QSslCertificate>
#include <QSslSocket>

namespace aolsim::irc {

QSslConfiguration TlsSettings(const std::string& caFile, std::string& problem) {
  QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
  tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
  if (caFile.empty()) return tls;
  // Qt loads the system's CAs lazily only while the list is untouched; once a CA is added the
  // list is all there is, so the system's are put in first.
  QList<QSslCertificate> cas = QSslConfiguration::systemCaCertificates();
  const QList<QSslCertificate> extra =
      QSslCertificate::fromPath(QString::fromStdString(caFile), QSsl::Pem);
  if (extra.isEmpty()) problem = "no CA certificate could be read from " + caFile;
  cas += extra;
  tls.setCaCertificates(cas);
  return tls;
}

}  // namespace aolsim::irc
