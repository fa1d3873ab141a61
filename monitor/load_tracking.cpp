#include "monitor/load_tracking.h"

namespace slp {

void TrackLoadEnd(Chromium& control, const Addresses& addresses, bool& bAuthentificationProcess,
                  LoadEndHost& host) {
  CefBrowser* browser = control.Browser();
  if (browser == nullptr) return;
  auto address = [browser] { return browser->get_main_frame()->get_url(); };

  // The load end right after the sign-in completion page closes the flow; when it shows
  // the settings page the user is sent on to the stream.
  if (bAuthentificationProcess) {
    if (address() == addresses.SettingsUrl)
      browser->get_main_frame()->load_url(addresses.StreamUrl);
    bAuthentificationProcess = false;
  } else {
    bAuthentificationProcess = address() == addresses.SignInDoneUrl;
  }

  const std::string current = address();
  if (current != addresses.RootUrl && current != addresses.StreamPageUrl) return;

  if (!host.IsRefreshCheckEnabled()) host.ArriveOnStream();
  host.CheckPage();
}

}  // namespace slp
