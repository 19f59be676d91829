// A Qt widgets application that only waits in its event loop, on the offscreen platform as the
// program runs in the benchmarks: the floor of the idle CPU benchmark.
#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return app.exec();
}
