#pragma once

namespace velomir::bench {

// Resident memory of this process in MiB: now, and the most it has been since it started (the input included).
// -1 when the system does not say.
double residentMiB();
double peakResidentMiB();

}  // namespace velomir::bench
