// Making texts safe as file names: used for pronunciation files and exported exam pages.
#pragma once

// Rewrites text in place: its first 259 characters, with each of the nine characters file
// names may not contain (" * / : < > ? \ |) written as '%' and two upper-case hexadecimal
// digits. The buffer must hold three times the kept length plus one units.
void EscapeFileName(wchar_t *text);

// Whether Windows would open an escaped name as a device rather than a file: con, prn, aux, nul,
// com1..com9, lpt1..lpt9, com and lpt with a superscript 1, 2 or 3, conin$, conout$; in any case,
// with anything after a first dot, and with blanks before that dot or the end.
bool IsDeviceName(const wchar_t *name);

// Rewrites in place a device name (above) as a name of a file: its first character is written as
// a percent code, so "con" becomes "%63on" and "aux." "%61ux.". Every other name is left as it
// is. The buffer must hold two more units than the name and its terminator.
void AvoidDeviceName(wchar_t *name);

// The folder, inside a language's cache folder, that holds the pronunciations of device names.
// Every other text's file is named "<escaped text>.mp3", and a folder of another name is no
// text's: the files in it belong to device names alone, whatever a text holds.
extern const wchar_t kDeviceNameFolder[];
