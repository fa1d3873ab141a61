// Systems without a taskbar list: the notifier holds no taskbar object and skips every
// taskbar feature.
#include "platform/taskbar.h"

namespace slp {

std::unique_ptr<Taskbar> AcquireTaskbar() { return nullptr; }

bool ChangeWindowMessageFilter(unsigned, unsigned) { return false; }

}  // namespace slp
