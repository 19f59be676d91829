// The CAs a TLS connection to the server trusts: the system's, and the user's one besides.
#include "aolsim/irc/tls_trust.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "tests/support/test_certificates.h"

namespace aolsim::irc {
namespace {

TEST(TlsSettings, AnExtraCaIsAddedToTheSystemsAndAnUnreadableOneLeavesThem) {
  const QList<QSslCertificate> system = QSslConfiguration::systemCaCertificates();
  ASSERT_FALSE(system.isEmpty()) << "the machine has no CA certificates to keep";
  QTemporaryDir dir;
  QString ca, cert, key;
  ASSERT_TRUE(spindeck::testing::MakeTestCertificates(dir.path(), "localhost", ca, cert, key));

  std::string problem;
  const QList<QSslCertificate> trusted = TlsSettings(ca.toStdString(), problem).caCertificates();
  EXPECT_TRUE(problem.empty());
  EXPECT_EQ(trusted.size(), system.size() + 1);
  EXPECT_TRUE(trusted.contains(system.front()));
  EXPECT_TRUE(trusted.contains(QSslCertificate::fromPath(ca).value(0)));

  const QList<QSslCertificate> kept =
      TlsSettings(dir.filePath("missing.pem").toStdString(), problem).caCertificates();
  EXPECT_NE(problem.find("missing.pem"), std::string::npos);
  EXPECT_EQ(kept.size(), system.size());
}

}  // namespace
}  // namespace aolsim::irc
