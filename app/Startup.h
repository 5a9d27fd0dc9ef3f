#pragma once

// The windows of one run, created in their order: the main window first,
// because the transformer window fills its transformer list.
void CreateWindows();
// Writes back every table with unsaved edits, reporting a file that cannot
// be written, then destroys the windows.
void DestroyWindows();
