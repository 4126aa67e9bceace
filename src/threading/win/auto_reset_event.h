#pragma once
// Owner of one unnamed auto-reset event, created unsignalled.

#include <windows.h>

#include "support/win/handle.h"

namespace kelar {

class AutoResetEvent {
 public:
  // Raises SystemErrorException("CreateEvent", error) when the system
  // cannot create the event: a waiter on a missing event would never wake.
  AutoResetEvent();

  // Owned here; valid for the life of this object.
  HANDLE Get() const { return event_.Get(); }

 private:
  UniqueHandle event_;
};

}  // namespace kelar
