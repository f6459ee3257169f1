#pragma once

// The two file slots, numbered as the user sees them ("File 1", "File 2").
enum class FileSlot { File1 = 1, File2 = 2 };

// The groups of main-window commands that follow what the slots hold; EnableFileCommands and
// DisableFileCommands switch a group as a whole.
enum class CommandGroup {
    NeedsFile1 = 0,  // File 2, Conditions, Clear All Fields, Run, the result area
    NeedsFile2 = 1,  // "Unload File 2"
};
