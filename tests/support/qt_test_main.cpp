// Test main for folders that need a QApplication. Offscreen unless the caller chose a
// platform; the browser engine needs its contexts shared before the application exists.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>

// Under LeakSanitizer: what the browser engine and fontconfig keep until the process ends
// is theirs, not ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6WebEngineCore.so\nleak:libfontconfig.so\n";
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Chromium's sandbox cannot run as root (CI runs as root); a test run may turn it off.
  if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  setenv("QT_QUICK_BACKEND", "software", 0);
  setenv("QTWEBENGINE_CHROMIUM_FLAGS",
         "--disable-background-networking --disable-component-update", 0);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
