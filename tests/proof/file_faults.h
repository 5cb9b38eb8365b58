// Failing writes and closes of files under one folder, the way a full disk
// fails them: this test program replaces write() and close() for the
// libraries it loads (the compressor among them), counts the calls on files
// under the folder and fails the chosen one with the chosen errno.
#pragma once

#include <string>

namespace prooftest {

// From now on, writes and closes of files under `folder` are counted; call
// `nth` of them (1 = the next; 0 = none) fails with `error`.
void FailFileOperation(const std::string& folder, unsigned nth, int error);
// Stops counting and failing.
void StopFileFaults();
// Writes and closes counted since FailFileOperation.
unsigned FileOperationCount();
// What the failed call was ("write" or "close"); "" when none failed.
std::string FailedFileOperation();

}  // namespace prooftest
