#pragma once

#include "widgets/Context.h"

// The windows of one run, created in their order: the main window first,
// then the others; start-up then fills the main window's transformer list
// from the transformer database.
void CreateWindows(const kalvenor::Context& context);
// Writes back every table with unsaved edits, reporting a file that cannot
// be written, then destroys the windows.
void DestroyWindows(const kalvenor::Context& context);
