#include "monitor/page_release.h"

namespace slp {

bool MayReleasePage(const PageFacts& facts, const Addresses& addresses) {
  if (facts.window_visible || facts.check_under_way || facts.loading || facts.signing_in ||
      facts.discarded)
    return false;
  return facts.address == addresses.RootUrl || facts.address == addresses.StreamPageUrl;
}

bool ReleaseUnseenPage(Chromium& control, const Addresses& addresses, bool window_visible,
                       bool check_under_way, bool signing_in) {
  CefBrowser* browser = control.Browser();
  if (browser == nullptr) return false;
  PageFacts facts;
  facts.window_visible = window_visible;
  facts.check_under_way = check_under_way;
  facts.signing_in = signing_in;
  facts.loading = browser->is_loading();
  facts.discarded = browser->is_discarded();
  facts.address = browser->get_main_frame()->get_url();
  return MayReleasePage(facts, addresses) && browser->discard();
}

void BringPageBack(Chromium& control) {
  CefBrowser* browser = control.Browser();
  if (browser != nullptr && browser->is_discarded()) browser->restore();
}

}  // namespace slp
