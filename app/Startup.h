#pragma once

#include "widgets/Context.h"

#include <functional>

// The windows of one run, created in their order: the main window first,
// then the others; start-up then fills the main window's transformer list
// from the transformer database. CreateWindows does both halves at once.
void CreateWindows(const kalvenor::Context& context);
void CreateMainWindow(const kalvenor::Context& context);
void CreateOtherWindows(const kalvenor::Context& context);
// Whether CreateOtherWindows has run: every window exists.
bool OtherWindowsCreated();

// The program's own start: the main window is created and shown alone, and
// the other windows are built just after its first paint, or at once when
// input for any window or a close comes first, so the user never reaches a
// window before the transformer list is filled and the databases exist.
// `shown` runs when the first paint is on the screen, before the rest.
// A failure in the second half is shown and ends the run.
void ShowMainWindowFirst(const kalvenor::Context& context, std::function<void()> shown = {});

// Writes back every table with unsaved edits, reporting a file that cannot
// be written, then destroys the windows; false when a table was not written.
bool DestroyWindows(const kalvenor::Context& context);
