#include "tests/support/test_irc_servers.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "tests/support/irc_server_process.h"
#include "tests/support/irc_test_client.h"
#include "tests/support/ngircd_server.h"
#include "tests/support/stop_process.h"

namespace spindeck::testing {
namespace {

constexpr char kServicesLinkPassword[] = "spindeck-link";

bool WriteConfigFile(const QString& path, const std::string& text) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
         file.write(text.data(), static_cast<qint64>(text.size())) ==
             static_cast<qint64>(text.size());
}

class ShippedNgircd : public TestIrcServer {
 public:
  ShippedNgircd() : server_(Options()) {}
  bool Start() override { return server_.Start(); }
  void Stop() override { server_.Stop(); }
  int port() const override { return server_.port(); }
  std::size_t nickLength() const override { return 9; }
  bool hasMonitor() const override { return false; }

 private:
  static NgircdOptions Options() {
    NgircdOptions options;
    options.shippedLimits = true;
    return options;
  }
  NgircdServer server_;
};

class Hybrid : public TestIrcServer {
 public:
  Hybrid()
      : process_(
            "ircd-hybrid", [](int port, const QString& folder) { return Prepare(port, folder); },
            true) {}
  bool Start() override { return process_.Start(); }
  void Stop() override { process_.Stop(); }
  int port() const override { return process_.port(); }
  std::size_t nickLength() const override { return 9; }
  bool hasMonitor() const override { return true; }

 private:
  static std::optional<IrcServerCommand> Prepare(int port, const QString& folder) {
    const std::string config =
        "serverinfo { name = \"hybrid.test\"; sid = \"0HY\"; description = \"spin.deck test\"; "
        "network_name = \"test\"; network_description = \"test\"; hub = no; "
        "default_max_clients = 512; max_nick_length = 9; };\n"
        "admin { name = \"tests\"; description = \"tests\"; email = \"tests@localhost\"; };\n"
        "class { name = \"users\"; ping_time = 10 minutes; number_per_ip_local = 1000; "
        "number_per_ip_global = 1000; number_per_cidr = 1000; max_number = 1000; "
        "sendq = 1 megabyte; recvq = 2560 bytes; };\n"
        "listen { host = \"127.0.0.1\"; port = " +
        std::to_string(port) +
        "; };\n"
        "auth { user = \"*@*\"; class = \"users\"; };\n"
        "general { throttle_time = 0; throttle_count = 100; disable_auth = yes; };\n";
    if (!WriteConfigFile(folder + "/ircd.conf", config)) return std::nullopt;
    QStringList args{"-foreground", "-configfile", folder + "/ircd.conf"};
    for (const char* file :
         {"logfile", "pidfile", "klinefile", "dlinefile", "xlinefile", "resvfile"}) {
      args << QString("-%1").arg(file) << folder + "/" + file;
    }
    return IrcServerCommand{QString(kHybridFolder) + "/usr/sbin/ircd-hybrid", args};
  }
  IrcServerProcess process_;
};

class InspircdAnope : public TestIrcServer {
  // InspIRCd's exit status for an end asked for by SIGTERM.
  static constexpr int kExitOnSigterm = 10;

 public:
  InspircdAnope()
      : inspircd_(
            "inspircd", [this](int port, const QString& folder) { return Prepare(port, folder); },
            false, kExitOnSigterm) {
    anope_.setProcessChannelMode(QProcess::MergedChannels);
  }
  ~InspircdAnope() override { Stop(); }
  bool Start() override {
    if (!inspircd_.Start()) return false;
    if (!StartAnope()) {
      std::fprintf(stderr, "anope did not link:\n%s\n", anope_.readAll().constData());
      return false;
    }
    return true;
  }
  void Stop() override {
    StopProcess(anope_, "anope", [this] { return anope_.readAll().toStdString(); });
    inspircd_.Stop();
  }
  int port() const override { return inspircd_.port(); }
  std::size_t nickLength() const override { return 30; }
  bool hasServices() const override { return true; }
  bool hasMonitor() const override { return true; }

 private:
  std::optional<IrcServerCommand> Prepare(int port, const QString& folder) {
    if (linkPort_ == 0) linkPort_ = FreeLoopbackPort();
    const std::string f = folder.toStdString();
    const std::string link = std::to_string(linkPort_);
    const std::string config =
        "<server name=\"insp.test\" description=\"spin.deck test\" id=\"0IN\" network=\"test\">\n"
        "<admin name=\"tests\" nick=\"tests\" email=\"tests@localhost\">\n"
        "<bind address=\"127.0.0.1\" port=\"" +
        std::to_string(port) +
        "\" type=\"clients\">\n"
        "<bind address=\"127.0.0.1\" port=\"" +
        link +
        "\" type=\"servers\">\n"
        "<power diepass=\"die-pw\" restartpass=\"restart-pw\">\n"
        "<connect name=\"main\" allow=\"*\" timeout=\"60\" pingfreq=\"600\" sendq=\"1048576\" "
        "recvq=\"8192\" localmax=\"1000\" globalmax=\"1000\" maxconnwarn=\"no\" useident=\"no\" "
        "resolvehostnames=\"no\" limit=\"5000\">\n"
        "<pid file=\"" +
        f +
        "/inspircd.pid\">\n"
        "<log method=\"file\" type=\"* -USERINPUT -USEROUTPUT\" level=\"default\" target=\"" +
        f +
        "/inspircd.log\">\n"
        "<module name=\"cap\"><module name=\"sasl\"><module name=\"services_account\">\n"
        "<module name=\"spanningtree\"><module name=\"hidechans\"><module name=\"monitor\">\n"
        "<sasl target=\"services.test\">\n"
        "<link name=\"services.test\" ipaddr=\"127.0.0.1\" port=\"" +
        link + "\" allowmask=\"127.0.0.0/8\" sendpass=\"" + kServicesLinkPassword +
        "\" recvpass=\"" + kServicesLinkPassword +
        "\">\n"
        "<uline server=\"services.test\" silent=\"yes\">\n";
    if (!WriteConfigFile(folder + "/inspircd.conf", config)) return std::nullopt;
    return IrcServerCommand{"inspircd",
                            {"--runasroot", "--nofork", "--config=" + folder + "/inspircd.conf"}};
  }

  bool WriteAnopeConfig(const QString& dir) {
    QDir().mkpath(dir + "/conf");
    QDir().mkpath(dir + "/db");
    QDir().mkpath(dir + "/logs");
    for (const QString& name : QDir("/etc/anope").entryList(QDir::Files)) {
      QFile::remove(dir + "/conf/" + name);
      if (!QFile::copy("/etc/anope/" + name, dir + "/conf/" + name)) return false;
    }
    QFile file(dir + "/conf/services.conf");
    if (!file.open(QIODevice::ReadOnly)) return false;
    std::string config = file.readAll().toStdString();
    file.close();
    const auto replace = [&config](const std::string& from, const std::string& to) {
      const std::size_t at = config.find(from);
      if (at == std::string::npos) return false;
      config.replace(at, from.size(), to);
      return true;
    };
    const bool edited =
        replace("port = 7000", "port = " + std::to_string(linkPort_)) &&
        replace("password = \"mypassword\"",
                std::string("password = \"") + kServicesLinkPassword + "\"") &&
        replace("name = \"services.example.com\"", "name = \"services.test\"\n\tid = \"0AS\"") &&
        replace("pid = \"/var/run/anope/anope.pid\"",
                "pid = \"" + dir.toStdString() + "/anope.pid\"") &&
        replace("casemap = \"ascii\"", "casemap = \"rfc1459\"");
    return edited && WriteConfigFile(dir + "/conf/services.conf", config);
  }

  bool StartAnope() {
    const QString dir = anopeDir_.path();
    if (!anopeDir_.isValid() || !WriteAnopeConfig(dir)) {
      // Debian keeps it readable for root and the group "irc" only.
      std::fprintf(stderr, "Anope's configuration could not be copied from /etc/anope\n");
      return false;
    }
    anope_.start("anope", {"--nofork", "--confdir=" + dir + "/conf", "--dbdir=" + dir + "/db",
                           "--logdir=" + dir + "/logs", "--modulesdir=/usr/lib/anope"});
    // Anope says when it has synchronised with the server; the link is up once NickServ is
    // known there.
    const QDeadlineTimer deadline(30000);
    std::string said;
    while (said.find("SERVER: services.test (Services for IRC Networks) is done syncing") ==
           std::string::npos) {
      if (anope_.state() == QProcess::NotRunning || deadline.hasExpired()) return false;
      anope_.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
      said += anope_.readAll().toStdString();
    }
    IrcTestClient probe;
    if (!probe.Connect("127.0.0.1", port(), "linkprobe")) return false;
    probe.Send("WHOIS NickServ");
    const std::optional<aolsim::irc::Message> answer = probe.WaitFor(
        [](const aolsim::irc::Message& m) { return m.command == "311" || m.command == "401"; });
    probe.Disconnect();
    return answer && answer->command == "311";
  }

  int linkPort_ = 0;
  IrcServerProcess inspircd_;
  QTemporaryDir anopeDir_;
  QProcess anope_;
};

}  // namespace

std::unique_ptr<TestIrcServer> MakeTestIrcServer(IrcServerKind kind) {
  switch (kind) {
    case IrcServerKind::kNgircd:
      return std::make_unique<ShippedNgircd>();
    case IrcServerKind::kInspircdAnope:
      return std::make_unique<InspircdAnope>();
    case IrcServerKind::kHybrid:
      return std::make_unique<Hybrid>();
  }
  return nullptr;
}

const char* NameOf(IrcServerKind kind) {
  switch (kind) {
    case IrcServerKind::kNgircd:
      return "ngircd";
    case IrcServerKind::kInspircdAnope:
      return "InspircdAnope";
    case IrcServerKind::kHybrid:
      return "Hybrid";
  }
  return "?";
}

}  // namespace spindeck::testing
