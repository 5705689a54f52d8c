#include "platform/printstatus.h"

#include <cups/cups.h>

namespace tovrin::platform {

bool lastPrintJobRefused(std::string* reason) {
    // libcups keeps the status of its last request per thread: the print engine's job
    // submission when called right after the page ended.
    const ipp_status_t status = cupsLastError();
    const bool refused = status > IPP_STATUS_OK_EVENTS_COMPLETE;
    if (reason)
        *reason = refused ? cupsLastErrorString() : "";
    return refused;
}

} // namespace tovrin::platform
