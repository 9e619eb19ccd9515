#pragma once

// Moved to the widgets folder; kept so that older includes still build.
#include "widgets/MasterDialog.h"
