// Loads a string of the library's own string table (ANSI, code page of the
// system). Returns the length copied, 0 when the string does not exist.
#pragma once

int LoadLibraryString(int id, char *buffer, int size);
