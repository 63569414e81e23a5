// Varnak entry point.
#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setApplicationName("Varnak");
  return 0;
}
