// Work done boat by boat on the cores of the machine: the analyses of each boat's track are
// independent of the others', and a big fleet has millions of fixes.
#pragma once

#include <functional>

namespace kw {

// Calls work(b) once for every b = 1..count, on up to four threads (no more than the machine
// has cores, and no threads at all for a handful of boats). Each call writes only its boat's
// results, so the outcome does not depend on the threads.
void ForEachBoat(int count, const std::function<void(int)>& work);

}  // namespace kw
