#include "tests/support/test_certificates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "tests/support/run_tool.h"

namespace spindeck::testing {
namespace {

// P-256 keys: made in an instant, and every TLS library the tests meet accepts them.
const QStringList kNewKey{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};

bool Openssl(const QStringList& args) {
  std::string output;
  if (RunTool("openssl", args, 30000, &output)) return true;
  std::fprintf(stderr, "openssl %s failed:\n%s\n", args.join(' ').toUtf8().constData(),
               output.c_str());
  return false;
}

bool MakeAuthority(const QString& caFile, const QString& caKey) {
  if (QFileInfo::exists(caFile) && QFileInfo::exists(caKey)) return true;
  return Openssl(QStringList{"req", "-x509"} + kNewKey +
                 QStringList{"-keyout", caKey, "-out", caFile, "-days", "30", "-subj",
                             "/CN=spin.deck test CA", "-addext",
                             "basicConstraints=critical,CA:TRUE", "-addext",
                             "keyUsage=critical,keyCertSign,cRLSign"});
}

}  // namespace

bool MakeTestCertificates(const QString& dir, const std::string& hostName, QString& caFile,
                          QString& certFile, QString& keyFile) {
  const QDir folder(dir);
  if (!folder.mkpath(".")) return false;
  caFile = folder.filePath("ca.pem");
  const QString caKey = folder.filePath("ca.key");
  const QString host = QString::fromStdString(hostName);
  certFile = folder.filePath(host + ".pem");
  keyFile = folder.filePath(host + ".key");
  const QString request = folder.filePath(host + ".csr");
  const QString extensions = folder.filePath(host + ".ext");

  QString altNames = "DNS:" + host;
  if (host == "localhost" || host == "127.0.0.1") altNames = "DNS:localhost,IP:127.0.0.1";
  QFile ext(extensions);
  if (!ext.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  ext.write(("subjectAltName=" + altNames +
             "\nbasicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment"
             "\nextendedKeyUsage=serverAuth\n")
                .toUtf8());
  ext.close();

  return MakeAuthority(caFile, caKey) &&
         Openssl(QStringList{"req", "-new"} + kNewKey +
                 QStringList{"-keyout", keyFile, "-out", request, "-subj", "/CN=" + host}) &&
         Openssl({"x509", "-req", "-in", request, "-CA", caFile, "-CAkey", caKey, "-CAcreateserial",
                  "-days", "30", "-extfile", extensions, "-out", certFile});
}

}  // namespace spindeck::testing
