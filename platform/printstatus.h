// What the print system said of the last job handed to it.
#pragma once

#include <string>

namespace tovrin::platform {

// Whether the print system refused the job this thread handed it last (a queue that rejects
// jobs, a scheduler that went away while printing). The toolkit's print engine ends a job
// without looking at that answer, so the caller asks here right after ending the page; "" in
// `reason` when the job was taken.
bool lastPrintJobRefused(std::string* reason = nullptr);

} // namespace tovrin::platform
