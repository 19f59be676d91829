// Starting the first program of a list that the PATH holds.
#include "platform/process/start_program.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "tests/support/wait_for_file.h"

namespace platform {
namespace {

// A PATH of one temporary folder for the length of a test.
class PathFolder {
 public:
  PathFolder() : old_(std::getenv("PATH") ? std::getenv("PATH") : "") {
    setenv("PATH", folder_.path().toUtf8().constData(), 1);
  }
  ~PathFolder() { setenv("PATH", old_.c_str(), 1); }

  QString file(const QString& name) const { return folder_.filePath(name); }
  // A program that leaves a file of its name behind when it runs.
  void addProgram(const QString& name, bool executable = true) const {
    QFile script(file(name));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(("#!/bin/sh\n: > '" + file(name) + ".ran'\n").toUtf8());
    script.close();
    auto permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable) permissions |= QFile::ExeOwner;
    script.setPermissions(permissions);
  }
  bool ran(const QString& name) const {
    return spindeck::testing::WaitForFileToExist(file(name) + ".ran");
  }

 private:
  QTemporaryDir folder_;
  std::string old_;
};

TEST(StartProgram, StartsTheFirstProgramFoundOnThePath) {
  PathFolder path;
  EXPECT_EQ(StartFirstProgramFound({"first", "second"}), "");
  path.addProgram("second");
  path.addProgram("third");
  path.addProgram("plainfile", false);
  EXPECT_EQ(StartFirstProgramFound({"first", "plainfile", "second", "third"}), "second");
  EXPECT_TRUE(path.ran("second"));
  EXPECT_FALSE(QFile::exists(path.file("third.ran")));
}

}  // namespace
}  // namespace platform
