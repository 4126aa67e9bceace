#pragma once
// The measurements. Each compares a figure of the product with a floor, the
// cost of the work the product cannot avoid, measured in the same run.

#include <windows.h>

#include <string>
#include <vector>

#include "kelar_engine.h"

namespace kelar::bench {

struct Settings {
  bool quick = false;        // fewer pieces and rounds: checks the program, measures nothing reliably
  std::string only;          // comma-separated names ("P1,P5"); empty for all
  double memorySeconds = -1;  // P4 stops early rather than run longer; < 0: what the run has left
  bool Wants(const char* name) const;
};

// One line of the table. For P4 the "ratio" is the growth in MB.
struct Row {
  std::string name;
  std::string product;
  std::string floor;
  double ratio = 0;
  bool growth = false;       // ratio is a difference in MB, not a quotient
  bool atLeast = false;      // the goal is a lower bound
  double goal = 0;
  bool failed = false;       // the measurement itself went wrong
  std::string note;
};

// What the measurements against the server share.
struct ServerBench {
  IQVSTranslationEngine* engine = nullptr;
  HANDLE serverProcess = nullptr;  // may be null: no memory figures then
  double memorySeconds = 300;      // what P4 may take when the settings leave it open
  Settings settings;
};

// Runs once before any timing: binds the vendor library in this process and
// warms both sides up. False when the product does not answer as expected
// (the figures would be meaningless).
bool WarmUp(ServerBench& bench);

Row MeasureJobPerPiece(ServerBench& bench);        // P1
Row MeasureTranslateTextPerCall(ServerBench& bench);  // P2
Row MeasureCostPerCharacter(ServerBench& bench);   // P3
Row MeasureMemoryGrowth(ServerBench& bench);       // P4
std::vector<Row> MeasureUtf8Codec(const Settings& settings);  // P5: decode, encode

void PrintTable(const std::vector<Row>& rows);

}  // namespace kelar::bench
