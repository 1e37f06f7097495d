// The temporary directory and the files the source keeps there.
#pragma once

enum { TEMP_PATH_SIZE = 260 };

// Drive and directory of the system's temporary path, with the trailing
// backslash. Returns false when the system gives none.
bool TempDirectory(char *path, int size);
// Joins the temporary directory and a file name; false when it does not fit.
bool TempFilePath(const char *name, char *path, int size);

// Name of the temporary scan file of the current transfer ("" when none).
extern char TempScanFilePath[TEMP_PATH_SIZE];

// Deletes a file that an earlier session recorded in WIN.INI under the
// product name, keyed by the current temporary scan file path.
void DeleteRecordedTempScanFile();
