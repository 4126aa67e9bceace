#pragma once
// Whether features documents list technical dictionaries on this machine.

namespace kelar {

// The host product must say that it supports technical dictionaries (its
// server key below HKEY_LOCAL_MACHINE, default no), and then this engine's
// configuration may still turn them off (default on). Each answer is read
// from the registry the first time it is needed and kept for the life of the
// process: a change takes effect when the server restarts.
bool TechnicalDictionariesEnabled();

}  // namespace kelar
