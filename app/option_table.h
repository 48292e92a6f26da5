#pragma once

class OptionReader;

// Reads every option of the table into the settings (and the three frame-state
// fields it owns), taking each option found out of the reader.
void applyOptionTable(OptionReader& options);
