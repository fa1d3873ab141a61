#pragma once

#include "monitor/addresses.h"

namespace slp {

// The addresses of this build's deployment (see the SLP_*_ORIGIN cache variables).
const Addresses& BuildAddresses();

}  // namespace slp
