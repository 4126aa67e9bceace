#pragma once
// Start-up clean-up of exchange input files that an earlier process left in
// the program folder (it crashed or was killed mid-translation): they are
// moved to the quarantine folder, where they can be examined, so that they
// neither pile up nor get mistaken for live input.

namespace kelar {

// Moves every "in_*.txt" of the program folder to "<tag>_<n>.txt" in
// BadInputsFolder(), n a free pseudo-random number. A leftover is deleted
// only once its copy exists; one that cannot be copied stays for the next
// process to try again. Every failure is ignored.
void QuarantineLeftoverInputs();

}  // namespace kelar
