// Placeholder until the localized messages land.
#include "support/exceptions.h"

namespace kelar {
std::string SystemErrorException::Message() const { return "System error."; }
std::string HResultException::Message() const { return "System error."; }
}  // namespace kelar
