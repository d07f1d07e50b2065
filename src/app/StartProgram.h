#pragma once
// The program's start: one copy at a time per program folder, then the start window.

// Takes the program folder's lock and loads and shows the start window. False when another copy holds
// the lock (then nothing else was done), the program folder takes no file (after a message saying so;
// `exitCode` 1) or the start-up ended the program; main() then returns `exitCode`.
bool StartProgram(int* exitCode = nullptr);

// Lets the lock go (the program's end; tests).
void ReleaseProgramLock();
