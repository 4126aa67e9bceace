#pragma once
// Recognises the registration switches on the server's command line.

namespace kelar {

enum class ServerSwitch { None, RegServer, UnregServer };

// A case-insensitive comparison in the shape of lstrcmpiA: 0 when equal.
using CompareIgnoringCase = int (*)(const char* left, const char* right);

// Compares ASCII letters without regard to case; other bytes as they are.
int CompareAsciiIgnoringCase(const char* left, const char* right);

// Looks at the text after each "-" or "/" in turn. A switch counts only when
// that text is the whole rest of the command line, so a trailing blank
// defeats it and dashes or slashes inside the program path are passed over.
// "UnregServer" is tried before "RegServer"; the first match wins. A null
// command line carries no switch.
ServerSwitch ScanCommandLine(const char* commandLine,
                             CompareIgnoringCase compare = CompareAsciiIgnoringCase);

}  // namespace kelar
