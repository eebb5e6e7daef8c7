// Making texts safe as file names: used for pronunciation files and exported exam pages.
#pragma once

// Rewrites text in place: its first 259 characters, with each of the nine characters file
// names may not contain (" * / : < > ? \ |) written as '%' and two upper-case hexadecimal
// digits. The buffer must hold three times the kept length plus one units.
void EscapeFileName(wchar_t *text);

// Rewrites in place an escaped name that Windows would open as a device rather than a file
// (con, prn, aux, nul, com1..com9, lpt1..lpt9, com and lpt with a superscript 1, 2 or 3,
// conin$, conout$; in any case, with anything after a first dot, and with blanks before that
// dot or the end): its first character is written as a percent code, so "con" becomes
// "%63on" and "aux." "%61ux.". Every other name is left as it is. The buffer must hold two more
// units than the name and its terminator.
void AvoidDeviceName(wchar_t *name);
