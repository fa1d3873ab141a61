#pragma once
// The notifier's window on the real browser engine against an in-process demo service.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <string>

#include "app/frm_main.h"
#include "platform/browser/webengine_chromium.h"
#include "support/os_test_support.h"
#include "tools/demo/demo_service.h"

namespace slp::testing {

struct DemoRun {
  QTemporaryDir cache;
  demo::Service service;
  Addresses addresses;
  std::unique_ptr<TfrmMain> form;

  explicit DemoRun(demo::Options options) : service(std::move(options)) {
    EXPECT_NE(service.Start(), 0);
    addresses = Addresses::FromOrigins(service.Origin(), service.Origin(),
                                       "https://partner.demo.invalid", service.Origin());
  }
  ~DemoRun() {
    form.reset();  // the browser goes before the server stops
    service.Stop();
  }
  void StartWindow() {
    TChromium::SetCachePath(cache.path().toStdString());
    TfrmMain::Setup setup;
    setup.addresses = addresses;
    const std::string config = cache.filePath("config").toStdString();
    setup.environment = ConfigOnly(config);
    setup.createChromium = [](QWidget* parent) { return std::make_unique<TChromium>(parent); };
    form = std::make_unique<TfrmMain>(std::move(setup));
    form->show();
  }
  CefBrowser* Browser() { return form->Browser()->Browser(); }
  std::string Address() { return Browser()->get_main_frame()->get_url(); }
  bool Requested(const std::string& line) {
    const auto r = service.Requests();
    return std::find(r.begin(), r.end(), line) != r.end();
  }
};

}  // namespace slp::testing
