// The least a Qt Widgets window costs on this machine, for the side-by-side comparison
// (bench/compare-recorders --floors): a window with a label and a button, so fonts are loaded, and a 20 ms
// timer whose handler does nothing. Its memory is what any Qt window showing text holds; its CPU is what
// Qt's own 50 Hz timer costs before a meter draws anything. It runs until it is signalled.
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <csignal>

int main(int argc, char** argv) {
  // Stopped by the comparison's signal, as the recorder is; an end that is not a failure.
  std::signal(SIGTERM, [](int) { _exit(0); });
  QApplication application(argc, argv);
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(new QLabel(QStringLiteral("Recording audio")));
  layout->addWidget(new QPushButton(QStringLiteral("Browse")));
  window.show();
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, [] {});
  timer.start(20);
  return application.exec();
}
