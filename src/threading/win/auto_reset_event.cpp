#include "threading/win/auto_reset_event.h"

#include "support/exceptions.h"

namespace kelar {

AutoResetEvent::AutoResetEvent() : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  if (!event_) throw SystemErrorException("CreateEvent", GetLastError());
}

}  // namespace kelar
