#pragma once
// What happens at each load end of the browser: the sign-in flow, recognition of the
// stream, the first arrival, and the hand-over to the page analysis.

#include "monitor/addresses.h"
#include "platform/browser.h"

namespace slp {

// The parts of the window the load-end handler drives.
class LoadEndHost {
 public:
  virtual ~LoadEndHost() = default;
  // Whether the automatic-check box is enabled (it is disabled until the first arrival).
  virtual bool IsRefreshCheckEnabled() = 0;
  // First arrival: enable and check the box, start the refresh timer.
  virtual void ArriveOnStream() = 0;
  // Analyse the page; the result is not used here.
  virtual void CheckPage() = 0;
};

// Runs once per load end, whatever frame ended. Reads the main frame's address anew before
// every comparison, since a navigation started here changes it.
void TrackLoadEnd(Chromium& control, const Addresses& addresses, bool& bAuthentificationProcess,
                  LoadEndHost& host);

}  // namespace slp
