#pragma once
// The heavy headers that nearly every test includes, compiled once for all test programs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <string>
#include <vector>

#include "src/state/runtime_state.h"
