// Ctrl+C and SIGTERM as a request to stop: the first one sets a flag the transfers watch, so that the run ends
// cleanly with its .part files kept; a second one ends the process at once.
#pragma once

#include "analysis/http_transport.h"

namespace velomir {

// Handles SIGINT and SIGTERM from now on by setting `stop`, which must live until the process ends.
void catchStopSignals(StopFlag& stop);

// The first of the two signals that came since catchStopSignals; 0 when none did.
int caughtStopSignal();

}  // namespace velomir
