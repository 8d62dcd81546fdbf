#pragma once

namespace rumora {

// Whether the command line asks for the batch: `rumora --batch ...`.
bool IsBatchCommandLine(int argc, char** argv);

// Runs the batch the command line asks for (RunBatchCommand) with the user's options and the
// program's settings record and preset logos, printing to standard output and error; returns
// the exit status. Needs no display, and makes no application object.
int RunBatchCommandLine(int argc, char** argv);

}  // namespace rumora
