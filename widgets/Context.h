#pragma once

#include "base/MessageBox.h"
#include "base/Numbers.h"
#include "widgets/Services.h"

#include <filesystem>

namespace kalvenor {

// Everything a window needs from outside itself, built once at start-up and
// handed to every window's constructor. Tests build one of fakes, so any
// window can be built and driven alone.
struct Context {
    MessageBoxPort& messages;
    NumberFormat format;
    std::filesystem::path directory;  // the application directory, where the tables live
    SaveFileChooser& saveFiles;
    OpenFileChooser& openFiles;
    PrintService& printer;
    ProgramLauncher& launcher;
    HelpViewer& help;
    // False when files cannot be created in the application directory, or
    // another copy of the program holds it: the user has been told, and no
    // window accepts an edit it could not keep.
    bool tablesWritable = true;
};

}  // namespace kalvenor
