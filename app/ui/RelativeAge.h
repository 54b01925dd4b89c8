// The age text of the restore list's rows: the engine's, shared with
// tarvell-cli's list.
#pragma once

#include "naming.h"

using tarvell::kCatalogueDateFormat;
using tarvell::RelativeAge;
