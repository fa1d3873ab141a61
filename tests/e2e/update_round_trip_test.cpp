// The whole update road with real processes: the notifier hears of a newer version, the user
// accepts, the real updater downloads the newer notifier from the demo service, replaces the
// installed file and restarts it, and the new notifier removes the updater.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/core/version_info.h"
#include "app/frm_main.h"
#include "platform/os/process_tree.h"
#include "platform/os/processes.h"
#include "platform/os/spawn.h"
#include "platform/os/temp_directory.h"
#include "platform/os/version_block.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/tray_icon.h"
#include "support/fake_chromium.h"
#include "support/os_test_support.h"
#include "support/wait.h"
#include "tools/demo/demo_service.h"

namespace slp {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WaitFor;
using testing::WriteText;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The notifier as built, made a newer version: its version block says `newer` (a text of the
// same length as the own version) and carries the matching build number.
std::string NewerNotifier(const std::string& own, const std::string& newer, unsigned build) {
  std::string bytes = ReadBytes(SLP_BINARY);
  const ByteView file(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  const ByteView block = FindVersionBlock(file);
  EXPECT_FALSE(block.empty());
  const std::size_t start = static_cast<std::size_t>(block.data() - file.data());
  auto utf16 = [](const std::string& text) {
    std::string out;
    for (char c : text) out += {c, '\0'};
    return out;
  };
  std::string area = bytes.substr(start, block.size());
  for (std::size_t at = area.find(utf16(own)); at != std::string::npos;
       at = area.find(utf16(own), at))
    area.replace(at, utf16(own).size(), utf16(newer));
  // The fixed part: the build number is the low word of the file version's second half.
  const std::string signature("\xBD\x04\xEF\xFE", 4);
  const std::size_t fixed = area.find(signature);
  EXPECT_NE(fixed, std::string::npos);
  area[fixed + 12] = static_cast<char>(build & 0xFF);
  area[fixed + 13] = static_cast<char>(build >> 8);
  bytes.replace(start, area.size(), area);
  return bytes;
}

// The processes whose executable is `path`.
std::vector<int> Running(const std::string& path) {
  std::vector<int> found;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code error;
    std::string exe = std::filesystem::read_symlink(entry.path() / "exe", error);
    if (error) continue;
    if (exe.ends_with(" (deleted)")) continue;
    if (exe == path) found.push_back(std::stoi(name));
  }
  return found;
}

TEST(UpdateEndToEnd, ANewerNotifierReplacesTheOldOneWhichComesBackAndCleansUp) {
  TempFolder root;
  const std::string install = root / "install";
  const std::string target = install + "/slp";
  const std::string config = root / "config";
  const std::string temp = root / "tmp";
  ASSERT_TRUE(std::filesystem::create_directories(install));
  ASSERT_TRUE(std::filesystem::create_directories(temp));
  std::filesystem::permissions(temp, std::filesystem::perms::owner_all);
  std::filesystem::copy_file(SLP_BINARY, target);
  WriteText(root / "newer", NewerNotifier("1.2.0.26", "1.2.0.27", 27));
  ASSERT_TRUE(std::filesystem::create_directories(config + "/Tarnel/Sylpnote"));
  const std::string ini = config + "/Tarnel/Sylpnote/slp.ini";
  WriteText(ini, "[Sylp]\nInterval=45\n");

  // What the updater and the restarted notifier inherit: this run's folders only.
  setenv("TMPDIR", temp.c_str(), 1);
  setenv("HOME", root.Path().c_str(), 1);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  unsetenv("APPDATA");

  // Whatever happens below, no notifier started from the install folder outlives the test.
  struct EndNotifiers {
    std::string target;
    ~EndNotifiers() {
      for (int pid : Running(target)) kill(pid, SIGKILL);
    }
  } end_notifiers{target};

  demo::Options options;
  options.version_answer = "1.2.0.27";
  options.download_file = root / "newer";
  demo::Service service(options);
  ASSERT_NE(service.Start(), 0);

  // The installed notifier, as far as the update road goes: its window with a scripted page.
  TfrmMain::Setup setup;
  setup.addresses = Addresses::FromOrigins(service.Origin(), service.Origin(),
                                           "https://partner.demo.invalid", service.Origin());
  setup.createChromium = [](QWidget*) { return std::make_unique<testing::FakeChromium>(); };
  setup.executablePath = target;
  setup.environment = testing::ConfigOnly(config);
  setup.tempDirectory = [] { return GetTempDirectory(); };
  setup.updaterProgram = [] { return ReadBytes(SLP_RENEWER_BINARY); };
  setup.isProcessRunning = [](const std::string& path) { return IsProcessRunning(path); };
  setup.shellOpen = ShellOpen;
  auto form = std::make_unique<TfrmMain>(std::move(setup));
  form->show();

  // The newer version is announced; its balloon clicked, the question answered with Update.
  ASSERT_TRUE(WaitFor([&] { return form->trycnNotify->Tag() == 1; }));
  EXPECT_NE(form->trycnNotify->BalloonHint().indexOf("1.2.0.27"), -1);
  Dialogs::SetNextAnswer(ModalResult::Yes);
  emit form->trycnNotify->BalloonClick();
  ASSERT_TRUE(WaitFor([&] { return !form->isVisible(); }));  // handed over and closed
  form.reset();
  EXPECT_TRUE(std::filesystem::exists(temp + "/Renewer/Renewer"));

  // The updater replaces the file; the new notifier runs with "/updated".
  TFileVersionInfo info;
  EXPECT_TRUE(WaitFor(
      [&] {
        info = {};
        ReadVersionInfo(target, info);
        return info.fFileVersion == "1.2.0.27";
      },
      60000))
      << info.fFileVersion;
  std::vector<int> notifiers;
  ASSERT_TRUE(WaitFor([&] { return !(notifiers = Running(target)).empty(); }, 60000));
  EXPECT_TRUE(WaitFor([&] { return CommandLine(notifiers.front()) == "slp /updated "; }))
      << CommandLine(notifiers.front());
  struct stat st {};
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);  // still a program

  // Once the updater has ended, the new notifier removes it and its folder.
  EXPECT_TRUE(WaitFor([&] { return !std::filesystem::exists(temp + "/Renewer"); }, 60000));
  EXPECT_EQ(ReadText(ini), "[Sylp]\nInterval=45\n");  // the settings survived

  for (int pid : notifiers) kill(pid, SIGTERM);
  EXPECT_TRUE(WaitFor([&] { return Running(target).empty(); }, 30000));
  EXPECT_EQ(ReadText(ini), "[Sylp]\nInterval=45\n");
  service.Stop();
}

}  // namespace
}  // namespace slp
