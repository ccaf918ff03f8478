// What the benchmarks share: a clock, the median of their rounds, the
// stand-in driver told that a drive is protected, the shell's side of one
// context menu of the real slvrsext.dll beside the benchmark, the bare
// deletion of a file, and ForceDelete of a tree against a bare walk.
#ifndef SALVORA_BENCH_COMMON_H
#define SALVORA_BENCH_COMMON_H

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

// Milliseconds from the performance counter.
double Now();

double Median(std::vector<double> v);

// The median of each round's measured / baseline: two runs moments apart,
// so a machine that slows down for a while moves both sides of a ratio.
double MedianRatio(const std::vector<double>& measured, const std::vector<double>& baseline);

// Resets the stand-in driver and protects the drive; false when the
// driver does not answer.
bool ProtectDrive(char letter);

// slvrsext.dll beside this program, loaded once; null when it cannot be.
HMODULE ExtensionModule();

// The context menu of a handler of the extension, initialised with one
// path as the shell does; null when it is not to be had.
IContextMenu* HandlerMenu(const GUID& clsid, const std::string& path);

// A tree of folders folders of files empty files each in root (which must
// not exist), made with the fewest calls.
bool MakeTree(const std::string& root, int folders, int files);

// The deliverables' check before a deletion, bare: the file opened without
// sharing and closed. False when another program has it open.
bool BareOpenCheck(const char* path);

// A file deleted with the fewest calls that leave a file another program
// has open alone: BareOpenCheck, then DeleteFileA. False when it stays.
bool BareDeleteFile(const char* path);

// The baseline of a deletion: every entry of the tree deleted with the
// fewest calls, files by BareDeleteFile.
void BareWalk(const std::string& root);

// ForceDelete of the tree as the shell runs it (handler, menu, command), the
// bench answering Yes to the confirmation; *ms runs from the Yes to the
// return. False when the extension could not be had.
bool ForceDeleteTree(const std::string& root, double* ms);

#endif
