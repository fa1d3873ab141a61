#pragma once
// While nobody looks at the stream, the browser's page gives its renderer process back; the
// next refresh or showing of the window brings it back.

#include <string>

#include "monitor/addresses.h"
#include "platform/browser.h"

namespace slp {

// What the release of the page depends on.
struct PageFacts {
  bool window_visible = true;    // shown, also minimised on the taskbar
  bool check_under_way = false;  // a page check is reading or comparing the source
  bool loading = false;          // a navigation or reload is under way
  bool signing_in = false;       // the sign-in flow waits for its next load end
  bool discarded = false;        // already released
  std::string address;           // the main frame's address
};

// Whether the page may be released now: nobody sees it, nothing is under way on it, and it is
// the stream (any other page, a sign-in page or one the user browsed to, is kept as it is).
bool MayReleasePage(const PageFacts& facts, const Addresses& addresses);

// Gathers the browser's side of the facts and releases the page when MayReleasePage allows.
// Returns whether it released the page.
bool ReleaseUnseenPage(Chromium& control, const Addresses& addresses, bool window_visible,
                       bool check_under_way, bool signing_in);

// Brings a released page back (it loads anew); nothing when the page was not released.
void BringPageBack(Chromium& control);

}  // namespace slp
